// Running the launch as a service of its own process: the Windows service
// control manager's front end, or a supervised foreground process on Linux.
#pragma once

#include "base/wide_string.h"
#include "java/vm_exit_listener.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <jni.h>

namespace launcher {

// What the service host is handed to run the launch; it never sees the launcher.
struct ServiceLaunch {
    // Runs the launch with the arguments the service adds after the command-line
    // ones; returns the run's exit code.
    std::function<int(const WideStringList& serviceArguments)> run;
    WideString mainClass; // internal form: '/' between package names
    bool omitServiceName = false;
    bool ibmRuntimesAdmitted = false; // attached threads then never leave the VM
};

// The arguments the start parameters add: the first (the service name) unless it
// is to be omitted, then every further one in order.
WideStringList serviceArguments(const WideStringList& startParameters, bool omitServiceName);

// Stop requests meet the application only once main has been called: one that
// arrives earlier is kept and delivered then (however many came), every later one
// is delivered at once, and none after the launch has ended.
class StopRequests {
  public:
    explicit StopRequests(std::function<void()> deliver) : deliver_(std::move(deliver)) {}

    void request();
    void mainCalled();
    void ended();

  private:
    std::function<void()> deliver_;
    std::atomic<unsigned> state_{0};
};

class ServiceHost final : public VmExitListener {
  public:
    ServiceHost();
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // Runs the launch under the service manager (Windows: 0 when the dispatcher
    // ran, else the system error code) or as a foreground process stopped by
    // SIGTERM or SIGINT (Linux: the run's exit code).
    int runDispatcher(ServiceLaunch launch);

    // Called on the application thread right before main: from now on a stop
    // request reaches Java.
    void mainCalled(JavaVM* vm);
    // A stop or shutdown request, from whichever thread received it.
    void requestStop() { stops_.request(); }
    // The body of each stop thread: the main class's static stop(), or
    // System.exit(0) when it has none.
    void stopJavaApplication();

    void onVmExit(int32_t code) override;
    void onVmAbort() override;

    const ServiceLaunch& launch() const noexcept { return launch_; }
    // The launch has returned: stop requests find nothing to stop any more.
    void launchEnded() { stops_.ended(); }

  private:
    ServiceLaunch launch_;
    JavaVM* vm_ = nullptr; // written before main is called, read by stop threads after
    StopRequests stops_;
};

} // namespace launcher
