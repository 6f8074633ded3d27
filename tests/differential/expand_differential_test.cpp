// The Linux expansion of %NAME% references against ExpandEnvironmentStringsW
// under Wine, with the same variables set on both sides.
//
// Where the two part ways on purpose: a text longer than 32,766 units is cut
// to that length by Wine before it expands it (the counted string it makes of
// the text holds no more), which loses the rest without a word; the Linux
// expansion leaves such a text unchanged, as it does when the platform's call
// fails because the result would be that long.
#include "ini_corpus.h"
#include "platform/environment.h"
#include "platform/unique_handle.h"
#include "probe_format.h"
#include "support/scoped_variable.h"
#include "support/test_folder.h"
#include "support/test_text.h"
#include "wine_probe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwctype>
#include <list>
#include <locale.h>
#include <optional>
#include <string>
#include <vector>

namespace launcher::differential {
namespace {

using launcher::testing::repeatedText;

namespace fs = std::filesystem;
using probe::formatLine;
using probe::parseLines;

struct Variable {
    std::u16string name;
    std::u16string value;
};

// Letters of many scripts, for the letter case of names: a variable for every
// letter with a lower-case form, asked for under that form, and every letter
// with an upper-case form asked for as written. The C library's mapping only
// chooses the letters; what matches is the platform's answer.
struct LocaleTraits {
    using Type = locale_t;
    static Type invalid() noexcept { return static_cast<locale_t>(0); }
    static void close(Type locale) noexcept { freelocale(locale); }
};

struct CaseLetters {
    std::vector<char16_t> withLower;
    std::vector<char16_t> withUpper;
};

const CaseLetters& caseLetters() {
    static const CaseLetters letters = [] {
        CaseLetters found;
        platform::UniqueHandle<LocaleTraits> utf8(
            newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0)));
        if (!utf8) {
            return found;
        }
        const std::pair<char16_t, char16_t> ranges[] = {
            {0x80, 0x2000}, {0x2100, 0x2200}, {0x2C00, 0x2D30}, {0xA640, 0xA800}, {0xFF00, 0xFF60}};
        for (auto [first, last] : ranges) {
            for (char16_t unit = first; unit < last; ++unit) {
                if (static_cast<wint_t>(towlower_l(unit, utf8.get())) != unit) {
                    found.withLower.push_back(unit);
                }
                if (static_cast<wint_t>(towupper_l(unit, utf8.get())) != unit) {
                    found.withUpper.push_back(unit);
                }
            }
        }
        return found;
    }();
    return letters;
}

std::u16string hex(char16_t unit) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    return {kDigits[unit >> 12], kDigits[(unit >> 8) & 0xF], kDigits[(unit >> 4) & 0xF],
            kDigits[unit & 0xF]};
}

std::vector<Variable> variables() {
    std::vector<Variable> set = {
        {u"LDX_A", u"alpha"},
        {u"LDX_B", u"beta"},
        {u"LDX_EMPTY", u""},
        {u"LDX SPACED", u"spaced value"},
        {u"LDX_EQ", u"B=x"},
        {u"LDX_PCT", u"100%"},
        {u"LDX_REF", u"%LDX_A%"},
        {u"LDX_OPEN", u"%LDX_"},
        {u"ldx_lower", u"written in lower case"},
        {u"LDX_UNICODE", u"\u00E9\u4E2D\U0001F600"},
        {u"LDX_\u00C9T\u00C9", u"accented name"},
        {u"LDX_LONG", repeatedText(u"0123456789", 10000)},
        {u"LDX_NEAR_LIMIT", repeatedText(u"n", 32000)},
        {u"PATH", u"C:\\fake\\bin;D:\\other"},
    };
    for (char16_t letter : caseLetters().withLower) {
        set.push_back({u"LDXC_" + std::u16string(1, letter), hex(letter)});
    }
    return set;
}

std::vector<std::u16string> texts() {
    std::u16string longText = repeatedText(u"plain text ", 40000);
    std::vector<std::u16string> all = {
        u"",
        u"no references",
        u"%LDX_A%",
        u"%ldx_a%",
        u"%Ldx_A%",
        u"%LDX_LOWER%",
        u"%PATH%",
        u"%path%",
        u"%Path%;%LDX_A%",
        u"%LDX_UNDEFINED%",
        u"%LDX_UNDEFINED%LDX_A%",
        u"%LDX_UNDEFINED%LDX_A%%",
        u"%LDX_A%LDX_B%",
        u"%LDX_A%%LDX_B%",
        u"%LDX_A%%%LDX_B%",
        u"%%",
        u"%%%",
        u"%%LDX_A%%",
        u"%",
        u"100%",
        u"%LDX_A",
        u"LDX_A%",
        u"a%b%c%d",
        u"%LDX SPACED%",
        u"% LDX_A%",
        u"%LDX_A %",
        u"%LDX_EQ%",
        u"%LDX_EQ=B%",
        u"%LDX_EQ=%",
        u"%=%",
        u"%=LDX_A%",
        u"%LDX_EMPTY%",
        u"x%LDX_EMPTY%y",
        u"%LDX_EMPTY%LDX_A%",
        u"%LDX_REF%",
        u"%LDX_PCT%LDX_A%",
        u"%LDX_OPEN%A%",
        u"%LDX_UNICODE%",
        u"%LDX_\u00C9T\u00C9%",
        u"%LDX_\u00E9t\u00E9%",
        u"%LDX\tA%",
        u"%LDX_A\r\n%",
        u"%LDX_LONG%",
        u"%LDX_LONG%%LDX_LONG%%LDX_LONG%",
        u"%LDX_LONG%%LDX_LONG%%LDX_LONG%%LDX_LONG%",
        u"%LDX_NEAR_LIMIT%",
        u"%LDX_NEAR_LIMIT%123456789",
        u"%LDX_NEAR_LIMIT%" + repeatedText(u"x", 766),
        u"%LDX_NEAR_LIMIT%" + repeatedText(u"x", 767),
        u"%LDX_NEAR_LIMIT%" + repeatedText(u"x", 768),
        repeatedText(u"y", 32766),
        repeatedText(u"y", 32767),
        longText,
        longText + u"%LDX_A%",
        u"%LDX_A%" + longText,
    };
    for (char16_t letter : caseLetters().withUpper) {
        all.push_back(u"%LDXC_" + std::u16string(1, letter) + u"%");
    }
    for (char16_t letter : caseLetters().withLower) {
        all.push_back(u"%LDXC_" + std::u16string(1, letter) + u"%");
    }
    return all;
}

constexpr size_t kLongestText = 32766;

std::string shortened(const std::u16string& text) {
    std::string escaped = probe::escapeField(text);
    return escaped.size() <= 120
               ? escaped
               : escaped.substr(0, 100) + "... (" + std::to_string(text.size()) + " units)";
}

TEST(ExpandDifferential, ExpansionFollowsThePlatform) {
    std::optional<fs::path> probe = windowsProbe("expand_probe");
    if (!probe) {
        if (windowsBuildRequired()) {
            FAIL() << "the Windows build's expand_probe.exe (or Wine) is missing";
        }
        GTEST_SKIP() << kWindowsBuildAbsent;
    }
    std::string request;
    for (const Variable& variable : variables()) {
        request += formatLine({u"set", variable.name, variable.value});
    }
    for (const std::u16string& text : texts()) {
        request += formatLine({u"expand", text});
    }
    testing::TestFolder folder;
    std::optional<std::string> answer = runProbe(*probe, folder.path(), request);
    ASSERT_TRUE(answer.has_value());

    ASSERT_FALSE(caseLetters().withLower.empty()) << "no C.UTF-8 locale";
    // The same variables in this process, as the probe set them in its own.
    std::list<testing::ScopedVariable> set;
    for (const Variable& variable : variables()) {
        set.emplace_back(variable.name, variable.value);
    }
    size_t expansions = 0;
    for (const std::vector<std::u16string>& line : parseLines(*answer)) {
        if (line[0] == u"set") {
            EXPECT_EQ(line[2], u"ok") << "the probe could not set " << toUtf8(line[1]);
            continue;
        }
        ASSERT_EQ(line.size(), 5u);
        ++expansions;
        const std::u16string& text = line[1];
        const std::u16string& byPlatform = line[3];
        WideString byLinux(text);
        platform::expandEnvironmentText(byLinux);
        if (text.size() > kLongestText) {
            EXPECT_EQ(shortened(std::u16string(byLinux.view())), shortened(text));
            continue;
        }
        EXPECT_EQ(shortened(std::u16string(byLinux.view())), shortened(byPlatform))
            << "text " << shortened(text) << " (platform call " << toUtf8(line[2]) << ")";
        // The launcher's Windows side, through the same call. Where the result
        // would not fit, it keeps a cut text instead of the unchanged one.
        if (line[2] == u"ok") {
            EXPECT_EQ(shortened(line[4]), shortened(byPlatform))
                << "Windows launcher, text " << shortened(text);
        }
    }
    EXPECT_EQ(expansions, texts().size());
}

} // namespace
} // namespace launcher::differential
