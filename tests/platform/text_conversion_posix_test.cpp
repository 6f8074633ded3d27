// Narrow text on Linux: UTF-8 both ways, damaged input.
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(NarrowConversion, IsUtf8BothWays) {
    EXPECT_EQ(platform::wideToNarrow(u"\u00E9\u4E2D\U0001F600"),
              "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(platform::narrowToWide("\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"),
              u"\u00E9\u4E2D\U0001F600");
}

// One replacement per broken sequence, as the Windows converter gives.
TEST(NarrowConversion, MalformedInputNeverReadsPastTheEnd) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"\xC3", u"\uFFFD"},               // cut sequence
        {"a\xE4\xB8", u"a\uFFFD"},         // cut three-byte sequence
        {"\xE4\xB8z", u"\uFFFDz"},         // continuation missing before z
        {"\xC0\xAF", u"\uFFFD\uFFFD"},     // impossible lead byte, then a stray continuation
        {"\xED\xA0\x80", u"\uFFFD\uFFFD"}, // encoded surrogate, then its stray last byte
        {"\xFF\xFE", u"\uFFFD\uFFFD"},
    };
    for (const auto& [narrow, wide] : cases) {
        EXPECT_EQ(platform::narrowToWide(narrow).view(), wide);
    }
    EXPECT_EQ(platform::wideToNarrow(u"a\xD800z"), "a?z"); // lone surrogate
}

} // namespace
} // namespace launcher
