// Threads of the launcher's own: the routine's result, and stacks no thread can get.
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace launcher::platform {
namespace {

uint32_t markAndAnswer(void* ran) {
    *static_cast<bool*>(ran) = true;
    return 42;
}

// A stack no thread can get is refused at the start, so that the caller can run
// the routine itself; a thread that starts runs the routine and gives its result.
TEST(Thread, AStackNoThreadCanGetIsRefusedAtTheStart) {
    for (size_t stackSize : {size_t{0}, size_t{1} << 20, SIZE_MAX, SIZE_MAX - 4096, SIZE_MAX / 2}) {
        bool ran = false;
        std::unique_ptr<Thread> thread = Thread::start(stackSize, markAndAnswer, &ran);
        if (stackSize <= (size_t{1} << 20)) {
            ASSERT_TRUE(thread) << stackSize;
        }
        if (!thread) {
            EXPECT_FALSE(ran) << stackSize;
            continue;
        }
        EXPECT_EQ(thread->join(), 42u) << stackSize;
        EXPECT_TRUE(ran) << stackSize;
    }
}

} // namespace
} // namespace launcher::platform
