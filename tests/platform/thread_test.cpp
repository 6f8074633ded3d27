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

// join() gives a result only when the routine ran, and then the routine's own;
// a start the system refuses at once is the other honest outcome.
TEST(Thread, AResultOnlyWhenTheRoutineRan) {
    for (size_t stackSize : {size_t{0}, size_t{1} << 20, SIZE_MAX, SIZE_MAX / 2}) {
        bool ran = false;
        std::unique_ptr<Thread> thread = Thread::start(stackSize, markAndAnswer, &ran);
        if (stackSize <= (size_t{1} << 20)) {
            ASSERT_TRUE(thread) << stackSize;
        }
        if (!thread) {
            EXPECT_FALSE(ran) << stackSize;
            continue;
        }
        std::optional<uint32_t> code = thread->join();
        EXPECT_EQ(code.has_value(), ran) << stackSize;
        if (code) {
            EXPECT_EQ(*code, 42u) << stackSize;
        }
    }
}

} // namespace
} // namespace launcher::platform
