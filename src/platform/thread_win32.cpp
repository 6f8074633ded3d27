// Threads on Windows: CreateThread with a chosen stack size.
#include "platform/thread.h"

#include "platform/win32_handles.h"

namespace launcher::platform {

namespace {

struct StartRecord {
    ThreadRoutine routine;
    void* parameter;
};

DWORD WINAPI threadEntry(LPVOID record) {
    StartRecord start = *static_cast<StartRecord*>(record);
    delete static_cast<StartRecord*>(record);
    return start.routine(start.parameter);
}

class Win32Thread final : public Thread {
  public:
    explicit Win32Thread(HANDLE handle) : handle_(handle) {}
    uint32_t join() override {
        WaitForSingleObject(handle_.get(), INFINITE);
        DWORD code = 0;
        GetExitCodeThread(handle_.get(), &code);
        return code;
    }

  private:
    UniqueKernelHandle handle_;
};

} // namespace

std::unique_ptr<Thread> Thread::start(size_t stackSize, ThreadRoutine routine, void* parameter) {
    // No stack can be larger than the user address space, and Wine's CreateThread
    // rounds a size near SIZE_MAX past zero and crashes the process: refuse such a
    // size here, as Windows itself would, so that the caller's fallback runs.
    constexpr size_t kLargestStack = size_t{1} << 47;
    if (stackSize > kLargestStack) {
        return nullptr;
    }
    auto* record = new StartRecord{routine, parameter};
    HANDLE handle = CreateThread(nullptr, stackSize, threadEntry, record, 0, nullptr);
    if (handle == nullptr) {
        delete record;
        return nullptr;
    }
    return std::make_unique<Win32Thread>(handle);
}

void sleepForever() {
    Sleep(INFINITE);
}

} // namespace launcher::platform
