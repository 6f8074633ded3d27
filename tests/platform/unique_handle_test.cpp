// The handle owner: every handle it ever held is released exactly once.
#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <vector>

namespace launcher {
namespace {

std::vector<int> released;

struct CountedTraits {
    using Type = int;
    static Type invalid() noexcept { return -1; }
    static void close(Type handle) noexcept { released.push_back(handle); }
};
using CountedHandle = platform::UniqueHandle<CountedTraits>;

TEST(UniqueHandle, ReceivesAHandleWrittenThroughAPointer) {
    released.clear();
    {
        CountedHandle owner(3);
        int* slot = owner.put(); // what an API writing through a pointer is given
        EXPECT_EQ(released, std::vector<int>{3});
        EXPECT_FALSE(owner.valid());
        *slot = 7;
        EXPECT_EQ(owner.get(), 7);
    }
    EXPECT_EQ(released, (std::vector<int>{3, 7}));
}

TEST(UniqueHandle, MovesAndReleasesOnce) {
    released.clear();
    {
        CountedHandle first(4);
        CountedHandle second(std::move(first));
        EXPECT_FALSE(first.valid());
        CountedHandle third(5);
        third = std::move(second); // 5 goes, 4 is kept
        EXPECT_EQ(released, std::vector<int>{5});
        EXPECT_EQ(third.release(), 4);
    }
    EXPECT_EQ(released, std::vector<int>{5});
}

} // namespace
} // namespace launcher
