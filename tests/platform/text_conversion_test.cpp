// Narrow conversion of plain ASCII and of nothing, the same on every system.
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(NarrowConversion, AsciiRoundTripsAndEmptyConvertsToEmpty) {
    EXPECT_EQ(platform::narrowToWide("com.example.App"), u"com.example.App");
    EXPECT_TRUE(platform::narrowToWide("").empty());
    EXPECT_EQ(platform::wideToNarrow(u"-Dname=value"), "-Dname=value");
}

} // namespace
} // namespace launcher
