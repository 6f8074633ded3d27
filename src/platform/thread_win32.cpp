// Threads on Windows: CreateThread with a chosen stack size.
#include "platform/thread.h"

#include "platform/win32_handles.h"

namespace launcher::platform {

namespace {

struct StartRecord {
    ThreadRoutine routine;
    void* parameter;
    // Set on the new thread before the routine runs. A thread that cannot get its
    // stack may end without ever getting here, with an exit code of 0.
    bool ran = false;
};

DWORD WINAPI threadEntry(LPVOID record) {
    auto* start = static_cast<StartRecord*>(record);
    start->ran = true;
    return start->routine(start->parameter);
}

class Win32Thread final : public Thread {
  public:
    Win32Thread(ThreadRoutine routine, void* parameter)
        : record_(std::make_unique<StartRecord>(StartRecord{routine, parameter})) {}
    ~Win32Thread() override {
        if (handle_ && !joined_) {
            record_.release(); // the running thread still reads it
        }
    }
    bool start(size_t stackSize) {
        handle_.reset(CreateThread(nullptr, stackSize, threadEntry, record_.get(), 0, nullptr));
        return static_cast<bool>(handle_);
    }
    std::optional<uint32_t> join() override {
        WaitForSingleObject(handle_.get(), INFINITE);
        joined_ = true;
        if (!record_->ran) {
            return std::nullopt;
        }
        DWORD code = 0;
        GetExitCodeThread(handle_.get(), &code);
        return code;
    }

  private:
    std::unique_ptr<StartRecord> record_;
    UniqueKernelHandle handle_;
    bool joined_ = false;
};

} // namespace

std::unique_ptr<Thread> Thread::start(size_t stackSize, ThreadRoutine routine, void* parameter) {
    auto thread = std::make_unique<Win32Thread>(routine, parameter);
    if (!thread->start(stackSize)) {
        return nullptr;
    }
    return thread;
}

void sleepForever() {
    Sleep(INFINITE);
}

} // namespace launcher::platform
