// The command-line splitting rule and the argument list without the program path.
#include "config/command_line.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct SplitCase {
    std::u16string_view text;
    std::vector<std::u16string_view> tokens;
};

WideStringList split(std::u16string_view text) {
    WideStringList tokens;
    splitArguments(text, tokens);
    return tokens;
}

void expectTokens(const WideStringList& actual, const std::vector<std::u16string_view>& expected,
                  std::u16string_view text) {
    ASSERT_EQ(actual.size(), expected.size()) << platform::wideToNarrow(text);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].view(), expected[i]) << platform::wideToNarrow(text) << " token " << i;
    }
}

// The command line after the program path; only '"' and ' ' are special.
TEST(SplitArguments, FollowsTheQuoteAndBlankRule) {
    const SplitCase cases[] = {
        {u"a  b", {u"a", u"b"}},
        {u"", {}},
        {u"\"a b\" d", {u"a b", u"d"}},
        {u"\"a b\"d", {u"a b", u"d"}},
        {u"a\"b d\"", {u"a\"b", u"d\""}},
        {u"\"\"", {u""}},
        {u"\"abc", {u"abc"}},
        {u"abc \"", {u"abc", u""}},
        {u"a\\\"b", {u"a\\\"b"}},
        {u"a\tb", {u"a\tb"}},
        {u" a", {u"", u"a"}},
        {u"-nosplash /nosplash", {u"-nosplash", u"/nosplash"}},
        {u"\"\" \"\" x", {u"", u"", u"x"}},
    };
    for (const SplitCase& c : cases) {
        expectTokens(split(c.text), c.tokens, c.text);
    }
}

TEST(SplitArguments, AppendsToWhatTheListHolds) {
    WideStringList tokens = {WideString(u"first")};
    splitArguments(u"second third", tokens);
    expectTokens(tokens, {u"first", u"second", u"third"}, u"second third");
}

TEST(CommandLineArguments, DropTheProgramPathAndSurroundingWhiteSpace) {
    const SplitCase cases[] = {
        {u"\"C:\\Program Files\\My App\\app.exe\" -x", {u"-x"}},
        {u"app.exe", {}},
        {u"  \t app.exe  a  b \r\n", {u"a", u"b"}},
        {u"\u3000app.exe \"\"\u3000", {u""}},
        {u"app.exe \"\"", {u""}},
        {u"", {}},
        {u" \t ", {}},
    };
    for (const SplitCase& c : cases) {
        WideStringList arguments;
        appendCommandLineArguments(WideString(c.text), arguments);
        expectTokens(arguments, c.tokens, c.text);
    }
}

} // namespace
} // namespace launcher
