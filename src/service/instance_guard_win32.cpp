// Single instance on Windows: a named block on the paging file, a registered
// message, the instance-ready event, and thread messages in both directions.
#include "service/instance_guard.h"

#include "messages/error_output.h"
#include "platform/trace.h"
#include "platform/win32_handles.h"
#include "service/instance_block.h"

#include <atomic>
#include <memory>
#include <optional>
#include <utility>

namespace launcher {

using platform::UniqueKernelHandle;
using platform::UniqueMappedView;
using platform::wide;

namespace {

// How long a second instance gives a primary that has just created the block to
// finish its header.
constexpr DWORD kHeaderWaitMilliseconds = 5000;
constexpr DWORD kHeaderPollMilliseconds = 5;
constexpr int kExitFailure = -1;

} // namespace

struct InstanceGuard::State {
    WideString name;
    UniqueKernelHandle mapping;
    UniqueMappedView view;
    InstanceBlock* block = nullptr;
    UINT messageId = 0;

    // The primary's side.
    UniqueKernelHandle readyEvent;
    // Set by the primary each time it has copied a second instance's arguments.
    UniqueKernelHandle takenEvent;
    UniqueKernelHandle messageThread;
    DWORD messageThreadId = 0;
    SecondaryMainTarget target;
    std::atomic<JavaVM*> vm{nullptr};

    // A second instance's side.
    UniqueKernelHandle primaryProcess;
};

namespace {

using State = InstanceGuard::State;

WideString objectName(const WideString& name, std::u16string_view suffix) {
    WideString full = name;
    full.append(suffix);
    return full;
}

struct ForwardingRequest {
    std::shared_ptr<State> state;
    DWORD requester;
    WideStringList arguments;
};

DWORD WINAPI forwardingThread(LPVOID parameter) {
    std::unique_ptr<ForwardingRequest> request(static_cast<ForwardingRequest*>(parameter));
    State& state = *request->state;
    // Nothing reaches the application before its main method runs.
    if (WaitForSingleObject(state.readyEvent.get(), INFINITE) != WAIT_OBJECT_0) {
        return 0;
    }
    forwardToSecondaryMain(
        state.vm.load(), state.target, request->arguments, [&request, &state](int32_t answer) {
            PostThreadMessageW(request->requester, state.messageId,
                               static_cast<WPARAM>(static_cast<INT_PTR>(answer)), 0);
        });
    return 0;
}

void startForwarding(const std::shared_ptr<State>& state, DWORD requester,
                     WideStringList arguments) {
    auto* request = new ForwardingRequest{state, requester, std::move(arguments)};
    UniqueKernelHandle thread(CreateThread(nullptr, 0, forwardingThread, request, 0, nullptr));
    if (!thread) {
        delete request;
    }
}

// The arguments are copied as soon as the request arrives, so the next second
// instance may write the area while this one still waits for main to start.
DWORD WINAPI messageThread(LPVOID parameter) {
    std::shared_ptr<State> state = std::move(*static_cast<std::shared_ptr<State>*>(parameter));
    delete static_cast<std::shared_ptr<State>*>(parameter);
    InstanceBlock& block = *state->block;
    // The queue exists from here on: a request posted after the header is
    // complete cannot be lost.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    publish(block.messageThreadId, GetCurrentThreadId());
    publish(block.headerComplete, kHeaderComplete);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != state->messageId) {
            continue;
        }
        auto requester = static_cast<DWORD>(message.wParam);
        // A request that cannot be copied (memory) is dropped, not the thread.
        reportingEscapedErrors([&state, &block, requester] {
            std::optional<WideStringList> arguments = takeForwardedArguments(block, requester);
            if (arguments) {
                SetEvent(state->takenEvent.get());
                startForwarding(state, requester, std::move(*arguments));
            }
        });
    }
    return 0;
}

// A primary that has just created the block may still be writing its header.
bool waitForHeader(InstanceBlock& block) {
    for (DWORD waited = 0; observe(block.headerComplete) != kHeaderComplete;
         waited += kHeaderPollMilliseconds) {
        if (waited >= kHeaderWaitMilliseconds) {
            return false;
        }
        Sleep(kHeaderPollMilliseconds);
    }
    return true;
}

// WAIT_OBJECT_0 for the first handle, WAIT_OBJECT_0 + 1 when the primary ended
// first. Without a handle of the primary's process its end cannot be seen, so
// the wait is bounded then.
DWORD waitWhilePrimaryRuns(HANDLE object, HANDLE primaryProcess) {
    HANDLE handles[] = {object, primaryProcess};
    DWORD count = primaryProcess != nullptr ? 2 : 1;
    DWORD limit = primaryProcess != nullptr ? INFINITE : kHeaderWaitMilliseconds;
    DWORD result = WaitForMultipleObjects(count, handles, FALSE, limit);
    return result == WAIT_ABANDONED_0 ? WAIT_OBJECT_0 : result;
}

// One second instance at a time writes the area, and it keeps it until the
// primary has copied it: no start's arguments overwrite another's. False when the
// primary went before it took them (it was ending already: its message thread
// had quit, or its process ended while this start waited).
bool sendArguments(State& state, const WideStringList& arguments) {
    InstanceBlock& block = *state.block;
    DWORD self = GetCurrentThreadId();
    UniqueKernelHandle lock(
        CreateMutexW(nullptr, FALSE, wide(objectName(state.name, u"_upr_mtx").c_str())));
    UniqueKernelHandle taken(
        CreateEventW(nullptr, FALSE, FALSE, wide(objectName(state.name, u"_upr_ack").c_str())));
    bool serialised = lock && taken;
    if (serialised &&
        waitWhilePrimaryRuns(lock.get(), state.primaryProcess.get()) != WAIT_OBJECT_0) {
        return false;
    }
    writeForwardedArguments(block, arguments, self);
    bool posted = PostThreadMessageW(observe(block.messageThreadId), observe(block.messageId),
                                     static_cast<WPARAM>(self), 0) != FALSE;
    bool primaryRuns = posted;
    if (posted && serialised) {
        while ((primaryRuns = waitWhilePrimaryRuns(taken.get(), state.primaryProcess.get()) ==
                              WAIT_OBJECT_0) &&
               observe(block.argumentsTaken) != self) {
        }
    }
    if (serialised) {
        ReleaseMutex(lock.get());
    }
    return primaryRuns || observe(block.argumentsTaken) == self;
}

// A primary in its teardown holds the block until its process ends: a start
// that takes its place waits for that, so that it finds the name free.
void waitForPrimaryEnd(const State& state) {
    if (state.primaryProcess) {
        WaitForSingleObject(state.primaryProcess.get(), kHeaderWaitMilliseconds);
    }
}

bool openBlock(State& state, bool& created) {
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                           static_cast<DWORD>(kInstanceBlockSize), wide(state.name.c_str()));
    created = GetLastError() == 0;
    state.mapping.reset(mapping);
    if (!state.mapping) {
        return false;
    }
    void* address = MapViewOfFile(state.mapping.get(), FILE_MAP_WRITE, 0, 0, 0);
    if (address == nullptr) {
        return false;
    }
    state.view.reset(address);
    state.block = static_cast<InstanceBlock*>(address);
    return true;
}

// False when any of the primary's objects cannot be made: single instance is then off.
bool becomePrimary(const std::shared_ptr<State>& state) {
    InstanceBlock& block = *state->block;
    state->readyEvent.reset(
        CreateEventW(nullptr, TRUE, FALSE, wide(objectName(state->name, u"_upr_evt").c_str())));
    if (!state->readyEvent) {
        return false;
    }
    state->takenEvent.reset(
        CreateEventW(nullptr, FALSE, FALSE, wide(objectName(state->name, u"_upr_ack").c_str())));
    if (!state->takenEvent) {
        return false; // second instances would wait for it in vain
    }
    state->messageId = RegisterWindowMessageW(wide(state->name.c_str()));
    if (state->messageId == 0) {
        return false;
    }
    publish(block.messageId, state->messageId);
    publish(block.processId, GetCurrentProcessId());
    auto* parameter = new std::shared_ptr<State>(state);
    state->messageThread.reset(
        CreateThread(nullptr, 0, messageThread, parameter, 0, &state->messageThreadId));
    if (!state->messageThread) {
        delete parameter;
        return false;
    }
    return true;
}

} // namespace

bool InstanceGuard::join() {
    auto state = std::make_shared<State>();
    state->name = executable_;
    state->name.replaceAll(u'\\', u'_');
    state->target = target_;
    bool created = false;
    if (!openBlock(*state, created)) {
        return true; // an ordinary launcher, without single instance
    }
    if (created) {
        if (!becomePrimary(state)) {
            return true;
        }
        active_ = primary_ = true;
        state_ = std::move(state);
        return true;
    }
    active_ = true;
    state_ = state;
    if (!waitForHeader(*state->block)) {
        return false;
    }
    state->messageId = observe(state->block->messageId);
    // The reply may come at once: this thread's queue must exist before the request leaves.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    state->primaryProcess.reset(OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
                                            observe(state->block->processId)));
    return true;
}

bool InstanceGuard::handOver(const WideStringList& arguments, bool& stale) {
    stale = false;
    if (sendArguments(*state_, arguments)) {
        return true;
    }
    // The primary was ending: this start takes its place, a few times at most.
    stale = attemptsLeft_-- > 0;
    platform::TraceLine("single-instance").add("primary-ending", true).add("replace", stale);
    if (stale) {
        waitForPrimaryEnd(*state_);
        shutDown();
    }
    return false;
}

int InstanceGuard::waitForPrimary() {
    if (!state_ || !state_->primaryProcess) {
        return 0;
    }
    HANDLE process = state_->primaryProcess.get();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == state_->messageId) {
                return static_cast<int>(static_cast<uint32_t>(message.wParam));
            }
        }
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            return GetExitCodeProcess(process, &code) ? static_cast<int>(code) : kExitFailure;
        }
        MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
    }
}

void InstanceGuard::signalReady(JavaVM* vm) {
    if (state_ && primary_) {
        state_->vm.store(vm);
        SetEvent(state_->readyEvent.get());
    }
}

void InstanceGuard::primaryEnds(int32_t) {
    // Windows tells a waiting second instance the primary's exit code itself.
}

void InstanceGuard::shutDown() {
    if (!state_) {
        return;
    }
    if (state_->messageThread) {
        HANDLE thread = state_->messageThread.get();
        do {
            PostThreadMessageW(state_->messageThreadId, WM_QUIT, 0, 0);
        } while (WaitForSingleObject(thread, 10) == WAIT_TIMEOUT);
        state_->messageThread.reset();
    }
    state_->block = nullptr;
    state_->view.reset();
    state_->mapping.reset();
    state_->primaryProcess.reset();
    // Forwarding threads still running keep the event and their target until they end.
    state_.reset();
    active_ = primary_ = false;
}

} // namespace launcher
