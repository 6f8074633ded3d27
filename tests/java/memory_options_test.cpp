// Relative memory options, their rewriting and "-Xss" sizes.
#include "java/memory_options.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using platform::MemoryFigures;

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kTiB = uint64_t{1} << 40;

constexpr MemoryFigures k16GiB{16 * kGiB, 8 * kTiB};
constexpr MemoryFigures k8GiB{8 * kGiB, 8 * kTiB};
constexpr MemoryFigures k512MiB{512 * kMiB, 2 * kGiB};

TEST(RelativeMemoryOption, RecognisedByItsFirstFourAndLastCharacters) {
    const struct {
        std::u16string_view text;
        bool relative;
    } cases[] = {
        {u"-Xmx25P", true},  {u"-Xms50:512p", true}, {u"-Xss1T", true},    {u"-Xmx25t", true},
        {u"-XmxP", true},    {u"-Xmx512m", false},   {u"-xmx25P", false},  {u"-XMX25P", false},
        {u"-Xmn25P", false}, {u"-Xmx25%", false},    {u"-Xmx25P ", false}, {u"-Xss", false},
        {u"-Xm", false},     {u"P", false},          {u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isRelativeMemoryOption(c.text), c.relative) << platform::wideToNarrow(c.text);
    }
}

struct RewriteCase {
    std::u16string_view option;
    MemoryFigures figures;
    std::u16string_view rewritten;
};

TEST(RewriteMemoryOption, PercentageOfTheFigureBoundedByMinimumAndMaximum) {
    const RewriteCase cases[] = {
        // 16 GiB is 16777216 KB; a quarter of it:
        {u"-Xmx25P", k16GiB, u"-Xmx4194304K"},
        // capped at 2048 MB:
        {u"-Xmx25:256:2048P", k16GiB, u"-Xmx2097152K"},
        {u"-Xms50:512P", k8GiB, u"-Xms4194304K"},
        // half of 512 MiB is below the minimum of 512 MB:
        {u"-Xms50:512P", k512MiB, u"-Xms524288K"},
        // the minimum beats the maximum whatever the memory:
        {u"-Xmx10:4096:1024P", k16GiB, u"-Xmx4194304K"},
        {u"-Xmx10:4096:1024P", k8GiB, u"-Xmx4194304K"},
        {u"-Xmx10:4096:1024P", k512MiB, u"-Xmx4194304K"},
        // no percentage: only the minimum counts
        {u"-Xmx:256P", k16GiB, u"-Xmx262144K"},
        {u"-Xmx:256P", k512MiB, u"-Xmx262144K"},
        // a maximum of 0 is no maximum; the percentage may exceed 100
        {u"-Xmx150:0:0p", k8GiB, u"-Xmx12582912K"},
        // truncated toward zero: 16777216 KB x 0.33 = 5536481.28
        {u"-Xmx33P", k16GiB, u"-Xmx5536481K"},
        // '%' and '.' are skipped: 12.5 reads as 125
        {u"-Xmx25%:1024P", k16GiB, u"-Xmx4194304K"},
        {u"-Xmx12.5P", k16GiB, u"-Xmx20971520K"},
        // the prefix runs to the first digit or ':'
        {u"-Xmx=25P", k16GiB, u"-Xmx=4194304K"},
        {u"-XmxP", k16GiB, u"-Xmx0K"},
        // a fourth number is not read
        {u"-Xmx25:256:2048:1P", k16GiB, u"-Xmx2097152K"},
        // 'T' takes the available address space
        {u"-Xmx25T", k16GiB, u"-Xmx2147483648K"},
        {u"-Xms1:64t", k512MiB, u"-Xms65536K"},
        // above 2 TiB, written with all digits
        {u"-Xmx50T", {0, 128 * kTiB}, u"-Xmx68719476736K"},
        {u"-Xmx100t", {0, 3 * kTiB + 5 * kGiB}, u"-Xmx3226468352K"},
    };
    for (const RewriteCase& c : cases) {
        WideString text(c.option);
        rewriteMemoryOption(text, c.figures);
        EXPECT_EQ(platform::wideToNarrow(text), platform::wideToNarrow(c.rewritten))
            << platform::wideToNarrow(c.option);
    }
}

// The figure is cut to whole kilobytes before the percentage is taken.
TEST(RewriteMemoryOption, FigureIsTakenInWholeKilobytesFirst) {
    WideString text(u"-Xmx100P");
    rewriteMemoryOption(text, {1048575, 0});
    EXPECT_EQ(platform::wideToNarrow(text), "-Xmx1023K");
}

// A product beyond 64 bits is held at the largest size rather than converted.
TEST(RewriteMemoryOption, HugePercentageStaysInRange) {
    WideString text(u"-Xmx18446744073709551615P");
    rewriteMemoryOption(text, k16GiB);
    EXPECT_EQ(platform::wideToNarrow(text), "-Xmx18446744073709551615K");
}

TEST(ParseStackSize, NumberTimesTheUnitOfTheLastCharacter) {
    const struct {
        std::u16string_view text;
        uint64_t bytes;
    } cases[] = {
        {u"512k", 524288},
        {u"512K", 524288},
        {u"2m", 2097152},
        {u"2M", 2097152},
        {u"1g", 1073741824},
        {u"3G", 3221225472},
        {u"1048576", 1048576},
        {u"4194304K", 4294967296},
        {u"1.5m", 15728640}, // the '.' is skipped
        {u"512x", 512},      // an unknown last character means bytes
        {u"64kb", 64},
        {u"1:2m", 0},
        {u"=512k", 0},
        {u"k", 0},
        {u"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseStackSize(c.text), c.bytes) << platform::wideToNarrow(c.text);
    }
}

// A relative "-Xss" is rewritten first, and the stack size read from the result.
TEST(ParseStackSize, RelativeStackOptionIsReadAfterItsRewrite) {
    WideString text(u"-Xss1P");
    ASSERT_TRUE(isRelativeMemoryOption(text));
    rewriteMemoryOption(text, k16GiB);
    EXPECT_EQ(platform::wideToNarrow(text), "-Xss167772K"); // 16777216 KB x 0.01 = 167772.16
    EXPECT_EQ(parseStackSize(text.view().substr(4)), uint64_t{167772} * 1024);
}

} // namespace
} // namespace launcher
