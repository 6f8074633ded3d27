// Java versions: parsing free text, comparing, bounds, preferred matches, the requirement text.
#include "config/java_version.h"
#include "messages/message_catalogue.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

JavaVersion v(int32_t a, int32_t b, int32_t c, int32_t d) {
    return JavaVersion{{a, b, c, d}};
}

struct ParseCase {
    std::u16string_view text;
    int32_t fill;
    JavaVersion expected;
    bool parsed;
};

TEST(ParseVersion, EveryNonDigitSeparatesComponents) {
    const ParseCase cases[] = {
        {u"1.8.0_152", 0, v(1, 8, 0, 152), true},
        {u"jdk1.8.0_152-b16", 0, v(1, 8, 0, 152), true},
        {u"9.0.1", 65535, v(9, 0, 1, 65535), true},
        {u"11", 65535, v(11, 65535, 65535, 65535), true},
        {u"11", 0, v(11, 0, 0, 0), true},
        {u"1.8", 0, v(1, 8, 0, 0), true},
        {u"1..8", 0, v(1, 8, 0, 0), true},
        {u"1.2.3.4.5.6", 0, v(1, 2, 3, 4), true},
        {u"version one", 0, v(0, 0, 0, 0), false},
        {u"", 65535, v(0, 0, 0, 0), false},
        {u"1.3000000000", 0, v(0, 0, 0, 0), false},
        {u"2147483647", 0, v(2147483647, 0, 0, 0), true},
        {u"2147483648", 0, v(0, 0, 0, 0), false},
        {u"\uFF11.8", 0, v(8, 0, 0, 0), true}, // only ASCII digits count
    };
    for (const ParseCase& c : cases) {
        JavaVersion version;
        EXPECT_EQ(parseVersion(c.text, c.fill, version), c.parsed)
            << platform::wideToNarrow(c.text);
        EXPECT_EQ(version, c.expected) << platform::wideToNarrow(c.text);
    }
}

struct BoundsCase {
    std::u16string_view subkey;
    std::u16string_view minimum;
    std::u16string_view maximum;
    bool qualifies;
};

TEST(VersionBounds, BothBoundsInclusiveAndAnEmptyMaximumIsOpen) {
    const BoundsCase cases[] = {
        {u"1.8.0_151", u"1.8.0_152", u"", false},
        {u"1.8.0_152", u"1.8.0_152", u"", true},
        {u"1.8", u"1.8.0_152", u"", false},
        {u"1.8.0_152", u"", u"1.8", true},
        {u"1.8", u"", u"1.8", true},
        {u"9.0.1", u"", u"1.8", false},
        {u"9.0.4", u"", u"9", true},
        {u"10.0.1", u"", u"9", false},
        {u"1.4", u"", u"no digits", true},
        {u"no digits", u"", u"", true},
    };
    for (const BoundsCase& c : cases) {
        JavaVersion version = parseVersion(c.subkey, 0);
        JavaVersion minimum = parseVersion(c.minimum, 0);
        JavaVersion maximum = parseVersion(c.maximum, 65535);
        EXPECT_EQ(isWithinBounds(version, minimum, maximum), c.qualifies)
            << platform::wideToNarrow(c.subkey) << " in [" << platform::wideToNarrow(c.minimum)
            << ", " << platform::wideToNarrow(c.maximum) << "]";
    }
}

TEST(CompareVersions, ComparesComponentsAsSignedNumbers) {
    EXPECT_LT(compareVersions(v(1, 8, 0, 152), v(9, 0, 0, 0)), 0);
    EXPECT_GT(compareVersions(v(1, 10, 0, 0), v(1, 9, 9, 9)), 0);
    EXPECT_EQ(compareVersions(v(1, 8, 0, 0), v(1, 8, 0, 0)), 0);
    EXPECT_LT(compareVersions(v(-1, 0, 0, 0), v(0, 0, 0, 0)), 0);
}

TEST(MatchesPreferred, TrailingZerosAreWildcards) {
    const struct {
        JavaVersion candidate;
        std::u16string_view preferred;
        bool matches;
    } cases[] = {
        {v(1, 8, 0, 152), u"1.8", true},        {v(1, 8, 1, 0), u"1.8", true},
        {v(1, 7, 0, 80), u"1.8", false},        {v(1, 8, 0, 152), u"1.8.0_152", true},
        {v(1, 8, 0, 151), u"1.8.0_152", false}, {v(1, 6, 0, 45), u"1.0", true},
        {v(2, 0, 0, 0), u"1.0", false},         {v(1, 8, 0, 152), u"", false},
        {v(0, 0, 0, 0), u"no digits", false},   {v(1, 0, 5, 0), u"1.0.5", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(matchesPreferred(c.candidate, parseVersion(c.preferred, 0)), c.matches)
            << platform::wideToNarrow(c.preferred);
    }
}

TEST(FormatVersion, WritesUpToTheLastMeaningfulComponentButAtLeastTwo) {
    const std::pair<JavaVersion, std::u16string_view> cases[] = {
        {v(1, 8, 65535, 65535), u"1.8"},
        {v(1, 6, 0, 0), u"1.6"},
        {v(1, 8, 0, 152), u"1.8.0.152"},
        {v(9, 0, 1, 0), u"9.0.1"},
        {v(11, 0, 0, 0), u"11.0"},
        {v(0, 0, 0, 0), u"0.0.0.0"},
        {v(65535, 65535, 65535, 65535), u"0.0.0.0"},
    };
    for (const auto& [version, text] : cases) {
        EXPECT_EQ(formatVersion(version).view(), text);
    }
}

TEST(IsOpenBound, OnlyAllZerosOrAllMaximum) {
    EXPECT_TRUE(isOpenBound(v(0, 0, 0, 0)));
    EXPECT_TRUE(isOpenBound(v(65535, 65535, 65535, 65535)));
    EXPECT_FALSE(isOpenBound(v(1, 8, 65535, 65535)));
    EXPECT_FALSE(isOpenBound(v(0, 0, 0, 1)));
}

TEST(ComposeRequirementText, FirstMatchingRowOfTheTable) {
    const struct {
        std::u16string_view minimum; // "any" is the keyword, as in the INI file
        std::u16string_view maximum;
        std::u16string_view text;
    } cases[] = {
        {u"any", u"any", u"latest version"},
        {u"", u"", u"latest version"},
        {u"", u"1.8", u"maximum version 1.8"},
        {u"1.6", u"any", u"minimum version 1.6"},
        {u"1.6", u"1.8", u"version between 1.6 and 1.8"},
        {u"1.8.0_152", u"1.8.0_152", u"version 1.8.0.152 is required"},
        {u"1.6", u"no digits", u"minimum version 1.6"},
    };
    for (const auto& c : cases) {
        JavaVersion minimum = c.minimum == u"any" ? JavaVersion{} : parseVersion(c.minimum, 0);
        JavaVersion maximum =
            c.maximum == u"any" ? v(65535, 65535, 65535, 65535) : parseVersion(c.maximum, 65535);
        EXPECT_EQ(composeRequirementText(minimum, maximum).view(), c.text);
    }
    // The text becomes the %s of the not-found message.
    EXPECT_EQ(
        MessageCatalogue::format(
            207, {composeRequirementText(v(1, 6, 0, 0), v(65535, 65535, 65535, 65535))})
            .view(),
        u"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
        u"(minimum version 1.6) from:");
}

} // namespace
} // namespace launcher
