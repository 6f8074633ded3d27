// The settings table, the settings text loader and list splitting.
#include "config/settings_table.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace launcher {
namespace {

using Pieces = std::vector<std::u16string_view>;

std::string narrow(std::u16string_view text) {
    return platform::wideToNarrow(text);
}

void expectPieces(const WideStringList& actual, const Pieces& expected, std::string_view context) {
    ASSERT_EQ(actual.size(), expected.size()) << context;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].view(), expected[i]) << context << ", piece " << i;
    }
}

struct SplitCase {
    std::u16string_view text;
    std::u16string_view separator;
    Pieces pieces;
};

TEST(SplitList, KeepsEmptyPiecesButNoEmptyLastOne) {
    const SplitCase cases[] = {
        {u"1.8;;1.6", u";", {u"1.8", u"", u"1.6"}},
        {u"1.8;", u";", {u"1.8"}},
        {u";1.8", u";", {u"", u"1.8"}},
        {u"", u";", {}},
        {u";", u";", {u""}},
        {u";;", u";", {u"", u""}},
        {u"a", u";", {u"a"}},
        {u"a;b", u"\r\n", {u"a;b"}},
        {u" a ; b ", u";", {u" a ", u" b "}},
        {u"a\r\nb\r\n", u"\r\n", {u"a", u"b"}},
        {u"a\nb\r\r\nc", u"\r\n", {u"a\nb\r", u"c"}},
        {u"\r\n\r\n", u"\r\n", {u"", u""}},
    };
    for (const SplitCase& c : cases) {
        WideStringList pieces = {WideString(u"left over")};
        splitList(c.text, c.separator, pieces);
        expectPieces(pieces, c.pieces, narrow(c.text));
    }
}

TEST(TrimText, RemovesWhiteSpaceAtBothEndsOnly) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"  a b  ", u"a b"}, {u"\t\r\na\r\n", u"a"},   {u"   ", u""},
        {u"", u""},           {u"\u3000a\u00A0", u"a"}, {u"x", u"x"},
    };
    for (const auto& [text, trimmed] : cases) {
        WideString value(text);
        trimText(value);
        EXPECT_EQ(value.view(), trimmed) << narrow(text);
    }
}

TEST(SettingsTable, KeepsDuplicatesAndFindsTheFirstExactly) {
    SettingsTable table;
    table.setValue(u"A", u"k", u"first");
    table.setValue(u"A", u"k", u"second");
    table.addSection(u"A");
    table.setValue(u"B", u"k", u"in B");
    table.setValue(u"a", u"k", u"lower-case section");

    EXPECT_EQ(table.getValue(u"A", u"k"), u"first");
    EXPECT_EQ(table.getValue(u"a", u"k"), u"lower-case section");
    EXPECT_EQ(table.getValue(u"A", u"K"), u"");
    EXPECT_EQ(table.getValue(u"C", u"k"), u"");
    WideStringList names = table.getSectionNames();
    expectPieces(names, {u"A", u"A", u"B", u"a"}, "section names");
    table.clear();
    EXPECT_TRUE(table.getSectionNames().empty());
}

struct Lookup {
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
};

struct LoadCase {
    std::u16string_view name;
    std::u16string_view text;
    Pieces sections;
    std::vector<Lookup> lookups;
};

TEST(LoadSettingsText, ReadsSectionsAndEntriesOfCrLfLines) {
    const LoadCase cases[] = {
        {u"a plain section",
         u"[Application]\r\nMain Class=a.b.C\r\n",
         {u"Application"},
         {{u"Application", u"Main Class", u"a.b.C"}}},
        {u"blanks around key, = and value",
         u"[S]\r\n  Main Class  =  a.b.C  \r\n",
         {u"S"},
         {{u"S", u"Main Class", u"a.b.C"}}},
        {u"blanks before the header",
         u"   [Java Runtime Environment]\r\nk=v\r\n",
         {u"Java Runtime Environment"},
         {{u"Java Runtime Environment", u"k", u"v"}}},
        {u"header name taken as written between the brackets",
         u"[ spaced ]  \r\nk=v\r\n",
         {u" spaced "},
         {{u" spaced ", u"k", u"v"}, {u"spaced", u"k", u""}}},
        {u"LF only: one line that is a header",
         u"[A]\nk=v\n[B]",
         {u"A]\nk=v\n[B"},
         {{u"A", u"k", u""}}},
        {u"LF only: one line that is not a header", u"[A]\nk=v\nx", {}, {}},
        {u"two sections of one name: the first answers",
         u"[A]\r\nk=first\r\n[A]\r\nk=second\r\nonly=second\r\n",
         {u"A", u"A"},
         {{u"A", u"k", u"first"}, {u"A", u"only", u""}}},
        {u"no comment syntax",
         u"[S]\r\n;x=1\r\n#y=2\r\n",
         {u"S"},
         {{u"S", u";x", u"1"}, {u"S", u"#y", u"2"}, {u"S", u"x", u""}}},
        {u"lines before the first header and lines without '=' are ignored",
         u"k=before\r\n[S]\r\nno equals\r\nk=v\r\n",
         {u"S"},
         {{u"S", u"k", u"v"}, {u"S", u"no equals", u""}}},
        {u"empty key and further '=' in the value",
         u"[S]\r\n=empty\r\nk=a=b\r\n",
         {u"S"},
         {{u"S", u"", u"empty"}, {u"S", u"k", u"a=b"}}},
        {u"[] names a section without a name", u"[]\r\nk=v\r\n", {u""}, {{u"", u"k", u"v"}}},
        {u"byte-order mark before the first line",
         u"\uFEFF[S]\r\nk=v\r\n",
         {u"S"},
         {{u"S", u"k", u"v"}}},
        {u"names compare exactly",
         u"[Section]\r\nKey=v\r\n",
         {u"Section"},
         {{u"section", u"Key", u""}, {u"Section", u"key", u""}}},
        {u"empty text", u"", {}, {}},
    };
    for (const LoadCase& c : cases) {
        SettingsTable table;
        table.setValue(u"Old", u"k", u"replaced by loading");
        loadSettingsText(table, c.text);
        expectPieces(table.getSectionNames(), c.sections, narrow(c.name));
        for (const Lookup& lookup : c.lookups) {
            EXPECT_EQ(table.getValue(lookup.section, lookup.key), lookup.value)
                << narrow(c.name) << ": " << narrow(lookup.section) << "/" << narrow(lookup.key);
        }
    }
}

} // namespace
} // namespace launcher
