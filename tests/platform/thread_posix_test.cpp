// Starting a thread when memory runs out: no thread may run on after the start failed.
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <new>

namespace {

// Once armed with n, the n-th allocation from then on fails; 0 never fails.
std::atomic<int> allocationsUntilFailure{0};

} // namespace

void* operator new(std::size_t size) {
    if (allocationsUntilFailure.load() > 0 && allocationsUntilFailure.fetch_sub(1) == 1) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

// Kept out of line: inlined beside a plain new, the compiler takes the pair for a
// mismatch.
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace launcher::platform {
namespace {

size_t threadsOfThisProcess() {
    auto tasks = std::filesystem::directory_iterator("/proc/self/task");
    return static_cast<size_t>(std::distance(begin(tasks), end(tasks)));
}

// Holds its thread until released, so that a thread started by mistake is still
// there to be counted.
std::atomic<bool> released{false};

uint32_t heldRoutine(void*) {
    released.wait(false);
    return 7;
}

TEST(ThreadStart, AnAllocationThatFailsLeavesNoThreadRunning) {
    std::unique_ptr<Thread> thread;
    for (int failing = 1; !thread; ++failing) {
        ASSERT_LT(failing, 10) << "the start never got past its allocations";
        size_t before = threadsOfThisProcess();
        allocationsUntilFailure = failing;
        try {
            thread = Thread::start(0, heldRoutine, nullptr);
            allocationsUntilFailure = 0;
            ASSERT_TRUE(thread) << "allocation " << failing;
        } catch (const std::bad_alloc&) {
            allocationsUntilFailure = 0;
            EXPECT_EQ(threadsOfThisProcess(), before)
                << "a thread runs on after allocation " << failing << " failed";
        }
    }
    released = true;
    released.notify_all();
    EXPECT_EQ(thread->join(), 7u);
}

} // namespace
} // namespace launcher::platform
