// Link colours read from the registry's value bytes, and the centring of a dialog.
#include "ui/dialog_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace launcher {
namespace {

// The bytes of a registry string value holding `text` and its terminating zero.
std::vector<uint8_t> valueBytes(std::u16string_view text, bool terminated = true) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    if (terminated) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

TEST(LinkColour, OnlyThreeNumbersInAShortTerminatedStringCount) {
    struct {
        const char* name;
        std::u16string text;
        std::optional<uint32_t> colour;
        bool stringType = true;
        bool terminated = true;
    } rows[] = {
        {"green", u"0,128,0", 0x008000},
        {"each number's low byte", u"256,257,511", 0xFF0100},
        {"blanks and signs as atoi reads them", u" 1,+2,3x", 0x030201},
        {"eleven characters fit", u"100,100,100", 0x646464},
        {"twelve do not", u"100,100,1000", std::nullopt},
        {"two numbers", u"0,128", std::nullopt},
        {"empty blue", u"0,128,", std::nullopt},
        {"empty red and green read as 0", u",,7", 0x070000},
        {"empty value", u"", std::nullopt},
        {"not a string", u"0,128,0", std::nullopt, false},
        {"unterminated", u"0,128,0", std::nullopt, true, false},
    };
    for (const auto& row : rows) {
        std::vector<uint8_t> bytes = valueBytes(row.text, row.terminated);
        EXPECT_EQ(parseLinkColour(row.stringType, bytes), row.colour) << row.name;
    }
    std::vector<uint8_t> odd = valueBytes(u"1,2,3");
    odd.push_back(0);
    EXPECT_EQ(parseLinkColour(true, odd), std::nullopt) << "odd length";
}

TEST(DialogPosition, CentredThenKeptInsideTheWorkArea) {
    const ScreenRect work{0, 0, 1000, 800};
    struct {
        const char* name;
        ScreenRect reference;
        int32_t x, y;
    } rows[] = {
        {"on the work area", work, 400, 300},
        {"on an owner", {100, 100, 300, 300}, 100, 100},
        {"past the right and bottom edges", {900, 700, 1100, 900}, 800, 600},
        {"past the left and top edges", {-300, -300, 0, 0}, 0, 0},
    };
    const ScreenRect dialog{0, 0, 200, 200};
    for (const auto& row : rows) {
        int32_t x = -1, y = -1;
        centreWithin(dialog, row.reference, work, x, y);
        EXPECT_EQ(x, row.x) << row.name;
        EXPECT_EQ(y, row.y) << row.name;
    }
    // Larger than the work area: the left and top edges win.
    int32_t x = -1, y = -1;
    centreWithin({0, 0, 1200, 900}, work, work, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

} // namespace
} // namespace launcher
