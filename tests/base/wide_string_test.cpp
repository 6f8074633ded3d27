// WideString: copies, parts, searches, trimming, case folding and the codes of its errors.
#include "base/launcher_error.h"
#include "base/wide_string.h"
#include "support/error_code.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace launcher {
namespace {

using testing::errorCodeOf;

TEST(WideString, AppendingToACopyLeavesTheOriginalUnchanged) {
    WideString original(u"C:\\App");
    WideString copy = original;
    copy.append(u"\\lib");
    EXPECT_EQ(original, u"C:\\App");
    EXPECT_EQ(copy, u"C:\\App\\lib");
    WideString other = original;
    other.replaceAll(u'\\', u'/');
    other.remove(0, 2);
    EXPECT_EQ(original, u"C:\\App");
    EXPECT_EQ(other, u"/App");
}

TEST(WideString, KeepsATerminatingZeroAfterEveryChange) {
    WideString text(u"abc");
    text.append(u'd');
    EXPECT_EQ(text.c_str()[4], u'\0');
    text.remove(1, 2);
    EXPECT_EQ(std::u16string_view(text.c_str()), u"ad");
    text.trimEnd();
    text.prepend(u"  ");
    EXPECT_EQ(std::u16string_view(text.c_str()), u"  ad");
    EXPECT_EQ(text.at(text.length()), u'\0');
}

TEST(WideString, GrowsAcrossManyAppends) {
    WideString text;
    std::u16string expected;
    for (int i = 0; i < 5000; ++i) {
        char16_t unit = static_cast<char16_t>(u'a' + i % 26);
        text.append(unit);
        expected.push_back(unit);
    }
    EXPECT_EQ(text.view(), expected);
    text.append(text); // appending itself
    EXPECT_EQ(text.length(), 10000);
    EXPECT_EQ(text.view().substr(5000), expected);
}

struct PartCase {
    const char* name;
    std::function<WideString(const WideString&)> take;
    std::u16string_view expected;
};

TEST(WideString, PartsClampToTheStringAndTakeNegativesAsZero) {
    const WideString text(u"launcher");
    const PartCase cases[] = {
        {"left 3", [](const WideString& s) { return s.left(3); }, u"lau"},
        {"left longer", [](const WideString& s) { return s.left(50); }, u"launcher"},
        {"left negative", [](const WideString& s) { return s.left(-2); }, u""},
        {"mid from 5", [](const WideString& s) { return s.mid(5); }, u"her"},
        {"mid 2 of 3", [](const WideString& s) { return s.mid(2, 3); }, u"unc"},
        {"mid beyond", [](const WideString& s) { return s.mid(20, 3); }, u""},
        {"mid negative index", [](const WideString& s) { return s.mid(-4, 3); }, u"lau"},
        {"mid negative count", [](const WideString& s) { return s.mid(2, -1); }, u""},
    };
    for (const PartCase& c : cases) {
        EXPECT_EQ(c.take(text).view(), c.expected) << c.name;
    }
}

TEST(WideString, FindsCharactersAndTexts) {
    WideString path(u"C:\\Java\\jre\\bin\\server\\jvm.dll");
    EXPECT_EQ(path.find(u'\\'), 2);
    EXPECT_EQ(path.findLast(u'\\'), 22);
    EXPECT_EQ(path.find(u"jre"), 8);
    EXPECT_EQ(path.find(u"jdk"), WideString::kNotFound);
    EXPECT_EQ(path.find(u'\\', 3), 7);
    EXPECT_EQ(WideString().findLast(u'x'), WideString::kNotFound);
}

TEST(WideString, ReportsBadIndexesAndOverflowWithTheirCodes) {
    WideString text(u"abc");
    EXPECT_EQ(errorCodeOf([&] { text.at(4); }), kErrorInvalidArgument);
    EXPECT_EQ(errorCodeOf([&] { text.at(-1); }), kErrorInvalidArgument);
    EXPECT_EQ(errorCodeOf([&] { text.at(3); }), 0u);
    EXPECT_EQ(errorCodeOf([&] { text.mid(2, 2147483647); }), kErrorArithmeticOverflow);
    EXPECT_EQ(errorCodeOf([&] { text.remove(1, 2147483647); }), kErrorArithmeticOverflow);
    EXPECT_EQ(errorCodeOf([&] { text.replaceAll(u'a', u'\0'); }), kErrorInvalidArgument);
}

TEST(WideString, TrimsTheRuntimesWhiteSpaceOnly) {
    WideString text(u"\t\r\n \u00A0\u3000value\u2028 \v\f");
    text.trim();
    EXPECT_EQ(text, u"value");
    WideString keeps(u"\u0085x\u200B");
    keeps.trim();
    EXPECT_EQ(keeps, u"\u0085x\u200B"); // next-line and zero-width space are not spaces
}

TEST(WideString, FoldsOnlyAsciiLettersWhenIgnoringCase) {
    EXPECT_TRUE(WideString(u"YES").equalsIgnoreAsciiCase(u"Yes"));
    EXPECT_TRUE(WideString(u"favor_SUN").equalsIgnoreAsciiCase(u"FAVOR_sun"));
    EXPECT_FALSE(WideString(u"\u00C9").equalsIgnoreAsciiCase(u"\u00E9"));
    EXPECT_FALSE(WideString(u"Yes ").equalsIgnoreAsciiCase(u"Yes"));
}

TEST(WideString, CopiesMadeAndDroppedOnManyThreadsAtOnce) {
    const WideString shared(u"shared between threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&shared] {
            for (int i = 0; i < 20000; ++i) {
                WideString copy = shared;
                WideString moved = std::move(copy);
                if (i % 1000 == 0) {
                    moved.append(u'!');
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(shared, u"shared between threads");
}

} // namespace
} // namespace launcher
