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

// File names are bytes. Each byte outside valid UTF-8
// becomes U+DC00 + byte, so that a name a search finds reaches the VM as it is
// on disk instead of as a replacement character.
TEST(FileNameConversion, KeepsBytesThatAreNotUtf8AsLoneSurrogates) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"app.jar", u"app.jar"},
        {"app\xFF.jar", u"app\xDCFF.jar"},
        {"\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", u"\u00E9\u4E2D\U0001F600"},
        {"\xC3", u"\xDCC3"},                               // cut sequence
        {"\xE4\xB8z", u"\xDCE4\xDCB8z"},                   // continuation missing
        {"\xC0\xAF", u"\xDCC0\xDCAF"},                     // overlong
        {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"}, // beyond U+10FFFF
        {"\x80\xC3\xA9", u"\xDC80\u00E9"},                 // a stray continuation
    };
    for (const auto& [name, wide] : cases) {
        EXPECT_EQ(platform::fileNameToWide(name).view(), wide);
        EXPECT_EQ(platform::wideToNarrow(platform::fileNameToWide(name).view()), name);
    }
}

TEST(FileNameConversion, EveryNameOfUpToTwoBytesComesBackUnchanged) {
    for (unsigned first = 1; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            std::string name{static_cast<char>(first)};
            if (second != 0) {
                name += static_cast<char>(second);
            }
            ASSERT_EQ(platform::wideToNarrow(platform::fileNameToWide(name).view()), name)
                << first << " " << second;
        }
    }
}

// Only the lone surrogates a file name can hold stand for bytes; the decoding
// of INI files and other text keeps the Windows converter's replacements.
TEST(FileNameConversion, OtherLoneSurrogatesAndOtherTextStayAsTheyWere) {
    EXPECT_EQ(platform::wideToNarrow(u"a\xDC80z"), "a\x80z");
    EXPECT_EQ(platform::wideToNarrow(u"a\xDC7Fz"), "a?z");
    EXPECT_EQ(platform::wideToNarrow(u"a\xDBFFz"), "a?z");
    EXPECT_EQ(platform::wideToUtf8(u"a\xDCFFz"), "a?z");
    EXPECT_EQ(platform::narrowToWide("app\xFF.jar").view(), u"app\uFFFD.jar");
}

} // namespace
} // namespace launcher
