// The message formatter: texts, numbers and percent signs, and the patterns it refuses.
#include "base/launcher_error.h"
#include "base/text_format.h"
#include "support/error_code.h"

#include <gtest/gtest.h>

#include <functional>

namespace launcher {
namespace {

using testing::errorCodeOf;

struct FormatCase {
    std::u16string_view pattern;
    std::initializer_list<FormatArgument> arguments;
    std::u16string_view expected;
};

TEST(FormatText, FillsTextsNumbersAndPercentSigns) {
    const WideString path(u"C:\\100%\\jvm.dll");
    const FormatCase cases[] = {
        {u"Failed: %s (errno = %d).", {path, 126u}, u"Failed: C:\\100%\\jvm.dll (errno = 126)."},
        {u"%d%%", {-6}, u"-6%"},
        {u"code %d", {0xFFFFFFFFu}, u"code -1"},
        {u"%s and %s", {u"a", u"%s"}, u"a and %s"},
        {u"%s", {u""}, u""},
        {u"no arguments", {}, u"no arguments"},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(formatText(c.pattern, c.arguments).view(), c.expected) << "case " << (&c - cases);
    }
}

TEST(FormatText, FailsWhenPatternAndArgumentsDoNotFit) {
    EXPECT_EQ(errorCodeOf([] { formatText(u"%s", {}); }), kErrorFail);
    EXPECT_EQ(errorCodeOf([] { formatText(u"%d", {u"text"}); }), kErrorFail);
    EXPECT_EQ(errorCodeOf([] { formatText(u"trailing %", {}); }), kErrorFail);
}

} // namespace
} // namespace launcher
