// Threads of the launcher's own, with a chosen stack size and an exit code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace launcher::platform {

using ThreadRoutine = uint32_t (*)(void* parameter);

class Thread {
  public:
    // Starts the routine on a new thread; stackSize 0 means the default size.
    // Returns an empty pointer when the thread cannot be created.
    static std::unique_ptr<Thread> start(size_t stackSize, ThreadRoutine routine, void* parameter);
    virtual ~Thread() = default;
    // Waits without time limit and returns the routine's result.
    virtual uint32_t join() = 0;
};

// Blocks the calling thread for good (it may return early on a signal).
void sleepForever();

} // namespace launcher::platform
