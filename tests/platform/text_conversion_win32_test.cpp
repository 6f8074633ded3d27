// Narrow text and white space on Windows, against the C runtime.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace launcher {
namespace {

// The written-out set every system trims must be the C runtime's, unit by unit.
TEST(WideSpace, WrittenOutSetMatchesTheRuntimeClassification) {
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        bool runtime = iswspace(static_cast<wint_t>(unit)) != 0;
        ASSERT_EQ(isWideSpace(static_cast<char16_t>(unit)), runtime) << "unit " << std::hex << unit;
    }
}

TEST(NarrowConversion, UnmappableCharactersBecomeTheDefaultCharacter) {
    // U+4E2D has no place in a Western code page.
    std::string narrow = platform::wideToNarrow(u"a\u4E2Db");
    EXPECT_EQ(narrow, "a?b");
}

} // namespace
} // namespace launcher
