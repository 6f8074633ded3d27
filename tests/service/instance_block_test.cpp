// The instance block's argument area: what fits, how it is laid out, what the
// primary reads back, and whose arguments it takes.
#include "service/instance_block.h"
#include "support/test_text.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

namespace launcher {

void PrintTo(const WideString& text, std::ostream* out) {
    *out << '"';
    for (char16_t unit : text.view()) {
        if (unit >= 0x20 && unit < 0x7F) {
            *out << static_cast<char>(unit);
        } else {
            *out << "\\u" << std::hex << static_cast<int>(unit) << std::dec;
        }
    }
    *out << "\" (" << text.length() << " units)";
}

namespace {

using testing::repeatedText;
using Area = std::array<char16_t, kArgumentAreaUnits>;

WideStringList listOf(std::initializer_list<std::u16string> texts) {
    WideStringList list;
    for (const std::u16string& text : texts) {
        list.emplace_back(text);
    }
    return list;
}

WideStringList manyArguments(size_t count, std::u16string_view each) {
    return WideStringList(count, WideString(each));
}

struct SizeCase {
    const char* name;
    WideStringList arguments;
    uint64_t bytes;
    bool fits;
};

TEST(ArgumentArea, SizeCountsEachArgumentWithItsNulPlusTheFinalOne) {
    const SizeCase cases[] = {
        {"none", {}, 2, true},
        {"one empty", listOf({u""}), 4, true},
        {"a b", listOf({u"a", u"b"}), 10, true},
        {"518 units", listOf({repeatedText(u"x", 518)}), 1040, true},
        {"519 units", listOf({repeatedText(u"x", 519)}), 1042, false},
        {"259 of one unit", manyArguments(259, u"y"), 1038, true},
        {"260 of one unit", manyArguments(260, u"y"), 1042, false},
        {"a surrogate pair counts two units", listOf({u"\U0001F600"}), 8, true},
    };
    for (const SizeCase& c : cases) {
        EXPECT_EQ(argumentAreaSize(c.arguments), c.bytes) << c.name;
        Area area{};
        EXPECT_EQ(encodeArgumentArea(area, c.arguments), c.fits) << c.name;
    }
}

TEST(ArgumentArea, ArgumentsThatDoNotFitLeaveTheAreaAsItWas) {
    Area area;
    area.fill(u'#');
    EXPECT_FALSE(encodeArgumentArea(area, listOf({repeatedText(u"x", 519)})));
    for (char16_t unit : area) {
        ASSERT_EQ(unit, u'#');
    }
}

TEST(ArgumentArea, EachArgumentIsFollowedByItsNulAndTheRestIsZero) {
    Area area;
    area.fill(u'#'); // whatever an earlier start left there
    ASSERT_TRUE(encodeArgumentArea(area, listOf({u"ab", u"", u"c"})));
    const std::u16string expected(u"ab\0\0c\0", 6);
    EXPECT_EQ(std::u16string(area.data(), 6), expected);
    for (size_t i = 6; i < area.size(); ++i) {
        ASSERT_EQ(area[i], u'\0') << i;
    }
}

struct RoundTrip {
    const char* name;
    WideStringList forwarded;
    WideStringList received;
};

TEST(ArgumentArea, ReadingBackFollowsTheLayoutRules) {
    const RoundTrip cases[] = {
        {"no arguments give one empty string", {}, listOf({u""})},
        {"two arguments", listOf({u"a", u"b c"}), listOf({u"a", u"b c"})},
        {"an empty argument after the first ends the list", listOf({u"a", u"", u"b"}),
         listOf({u"a"})},
        {"an empty first argument survives", listOf({u"", u"x"}), listOf({u"", u"x"})},
        {"two empty arguments read as one", listOf({u"", u""}), listOf({u""})},
        {"units outside the ANSI range arrive as they are",
         listOf({u"\u00FC\u4E2D", u"\U0001F600", u"\xD800"}),
         listOf({u"\u00FC\u4E2D", u"\U0001F600", u"\xD800"})},
        {"518 units, the most one argument can have", listOf({repeatedText(u"ab", 518)}),
         listOf({repeatedText(u"ab", 518)})},
        {"259 short arguments", manyArguments(259, u"y"), manyArguments(259, u"y")},
    };
    for (const RoundTrip& c : cases) {
        Area area{};
        ASSERT_TRUE(encodeArgumentArea(area, c.forwarded)) << c.name;
        EXPECT_EQ(readArgumentArea(area), c.received) << c.name;
    }
}

struct RawArea {
    const char* name;
    std::u16string units;
    WideStringList received;
};

TEST(ArgumentArea, TheWalkStopsAtTheFirstDoubleNulAndAtTheEndOfTheBlock) {
    using namespace std::string_literals;
    const RawArea cases[] = {
        {"all zeros", u""s, listOf({u""})},
        {"text after the double NUL is not read", u"a\0\0b\0\0"s, listOf({u"a"})},
        {"characters up to the area's end go on in the zeros after it",
         repeatedText(u"z", kArgumentAreaUnits), listOf({repeatedText(u"z", 520)})},
        {"a block full of characters ends two bytes before its end", repeatedText(u"q", 1100),
         listOf({repeatedText(u"q", 1039)})},
    };
    for (const RawArea& c : cases) {
        EXPECT_EQ(readArgumentArea(c.units), c.received) << c.name;
    }
}

struct Hand {
    const char* name;
    uint32_t writer;    // who writes the area
    uint32_t requester; // whose request the primary serves
    bool taken;
};

TEST(ArgumentArea, ThePrimaryTakesOnlyTheArgumentsOfTheRequestItServes) {
    const Hand cases[] = {
        {"the writer's own request", 7, 7, true},
        {"a request whose sender has been overtaken", 8, 7, false},
        {"a request without a sender", 7, 0, false},
    };
    for (const Hand& c : cases) {
        InstanceBlock block{};
        ASSERT_TRUE(writeForwardedArguments(block, listOf({u"a", u"b"}), c.writer));
        std::optional<WideStringList> arguments = takeForwardedArguments(block, c.requester);
        EXPECT_EQ(arguments.has_value(), c.taken) << c.name;
        EXPECT_EQ(block.argumentsTaken, c.taken ? c.requester : 0u) << c.name;
        if (arguments) {
            EXPECT_EQ(*arguments, listOf({u"a", u"b"})) << c.name;
        }
    }
}

TEST(ArgumentArea, AWriteThatDoesNotFitKeepsTheArgumentsOfTheStartBefore) {
    InstanceBlock block{};
    ASSERT_TRUE(writeForwardedArguments(block, listOf({u"first"}), 3));
    EXPECT_FALSE(writeForwardedArguments(block, listOf({repeatedText(u"x", 600)}), 4));
    EXPECT_EQ(takeForwardedArguments(block, 3), listOf({u"first"}));
}

TEST(ArgumentArea, AnAreaBeingWrittenIsNotTaken) {
    InstanceBlock block{};
    ASSERT_TRUE(writeForwardedArguments(block, listOf({u"a"}), 5));
    publish(block.argumentsWriter, 0); // as while the next second instance writes
    EXPECT_FALSE(takeForwardedArguments(block, 5).has_value());
}

// With the count beside the area every argument arrives as given, empty ones
// included; an area written without a count keeps the layout's own reading.
TEST(ArgumentArea, EveryForwardedArgumentArrivesEmptyOnesToo) {
    const struct {
        const char* name;
        WideStringList sent;
        WideStringList received;
    } cases[] = {
        {"an empty one between two", listOf({u"a", u"", u"b"}), listOf({u"a", u"", u"b"})},
        {"an empty last one", listOf({u"a", u""}), listOf({u"a", u""})},
        {"only empty ones", listOf({u"", u""}), listOf({u"", u""})},
        {"none", {}, listOf({u""})},
        {"one of 518 units", listOf({repeatedText(u"y", 518)}), listOf({repeatedText(u"y", 518)})},
    };
    for (const auto& c : cases) {
        InstanceBlock block{};
        ASSERT_TRUE(writeForwardedArguments(block, c.sent, 9)) << c.name;
        EXPECT_EQ(takeForwardedArguments(block, 9), c.received) << c.name;
    }
    InstanceBlock uncounted{};
    ASSERT_TRUE(writeForwardedArguments(uncounted, listOf({u"a", u"", u"b"}), 9));
    publish(uncounted.argumentCount, 0);
    EXPECT_EQ(takeForwardedArguments(uncounted, 9), listOf({u"a"}));
}

} // namespace
} // namespace launcher
