// The service stand-in on Linux: a foreground process whose SIGTERM and SIGINT
// are the stop request, telling a notify-type supervisor when it is ready and
// when it stops.
#include "service/service_host.h"

#include "service/supervisor_notify.h"

#include <atomic>
#include <cstdlib>
#include <pthread.h>
#include <signal.h>
#include <string>

namespace launcher {

namespace {

std::string notifySocket;
std::atomic<bool> launchOver{false};
// The thread that takes the stop signals, while it takes them.
pthread_t stopWatcher{};
std::atomic<bool> watcherRunning{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");

void notify(std::string_view message) {
    if (notifySocket.empty()) {
        return;
    }
    // A supervisor that cannot be told is no reason to stop the service.
    platform::SystemError ignored;
    notifySupervisor(notifySocket, message, ignored);
}

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

// The stop signals are taken here, by sigwait, on an ordinary thread that may
// then call into Java; no signal handler runs at all.
void* watchStopSignals(void* host) {
    sigset_t signals = stopSignals();
    for (;;) {
        int received = 0;
        if (sigwait(&signals, &received) != 0 || launchOver.load()) {
            return nullptr;
        }
        notify("STOPPING=1");
        static_cast<ServiceHost*>(host)->requestStop();
    }
}

// Once main runs, a stop signal that reaches a thread other than the watcher is
// handed on to it: only pthread_kill, which a signal handler may call.
void forwardStopSignal(int signal) {
    if (watcherRunning.load()) {
        pthread_kill(stopWatcher, signal);
    }
}

} // namespace

// Before any thread exists the stop signals are blocked, so every thread made
// later (the VM's too) inherits the block and they stay pending for sigwait.
// They are also set to be ignored: a VM that finds a shutdown signal ignored at
// its start leaves it alone instead of installing its own handler and unblocking
// it on its threads. Linux keeps a blocked signal pending even while ignored.
int ServiceHost::runDispatcher(ServiceLaunch launch) {
    launch_ = std::move(launch);
    if (const char* socket = std::getenv("NOTIFY_SOCKET")) {
        notifySocket = socket;
    }
    sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGTERM, &ignore, nullptr);
    sigaction(SIGINT, &ignore, nullptr);

    bool watching = pthread_create(&stopWatcher, nullptr, watchStopSignals, this) == 0;
    watcherRunning.store(watching);
    int result = launch_.run(serviceArguments({}, launch_.omitServiceName));
    launchEnded();
    if (watching) {
        launchOver.store(true);
        watcherRunning.store(false);
        pthread_kill(stopWatcher, SIGTERM);
        pthread_join(stopWatcher, nullptr);
    }
    return result;
}

// The VM is made, with its threads keeping the stop signals blocked. From here
// the signals are no longer ignored but handed to the watcher, and the
// application thread takes them again: threads it starts (the VM unblocks the
// stop signals in every new thread unless they are ignored) and the programs
// those start no longer inherit a blocked, ignored SIGTERM and SIGINT.
void ServiceHost::mainCalled(JavaVM* vm) {
    struct sigaction forward {};
    forward.sa_handler = forwardStopSignal;
    forward.sa_flags = SA_RESTART;
    sigemptyset(&forward.sa_mask);
    sigaction(SIGTERM, &forward, nullptr);
    sigaction(SIGINT, &forward, nullptr);
    sigset_t signals = stopSignals();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    vm_ = vm;
    notify("READY=1");
    stops_.mainCalled();
}

void ServiceHost::onVmExit(int32_t) {}

} // namespace launcher
