// The Linux reader and writer of INI files. The expected answers of the
// reading cases are those of GetPrivateProfileStringW under Wine on the same
// bytes (the differential tests check the reader against it on many more).
#include "config/ini_document.h"
#include "support/test_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace launcher {
namespace {

using launcher::testing::utf16Bytes;

using namespace std::literals;

struct ReadCase {
    const char* name;
    std::string bytes;
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view expected;
};

TEST(IniDocument, ReadsValuesAsThePlatformDoes) {
    const ReadCase cases[] = {
        {"plain", "[s]\r\nk=v\r\n", u"s", u"k", u"v"},
        {"names without regard to ASCII case", "[Sect]\r\nKey=v\r\n", u"sECT", u"kEY", u"v"},
        {"non-ASCII names keep their case apart", "\xEF\xBB\xBF[s]\r\n\xC3\x84=upper\r\n", u"s",
         u"\u00E4", u""},
        {"the first of duplicates", "[s]\r\nk=1\r\nK=2\r\n[S]\r\nk=3\r\nj=4\r\n", u"s", u"k", u"1"},
        {"a later section of the same name is not searched", "[s]\r\nk=1\r\n[S]\r\nj=4\r\n", u"s",
         u"j", u""},
        {"blanks, tabs and ^Z around name and value", "[s]\r\n \t k \x1A =\t v v \x1A\r\n", u"s",
         u"k", u"v v"},
        {"blanks around the asked-for names", "[s]\r\nk=v\r\n", u" \ts ", u"\x1A k\r", u"v"},
        {"no-break space is not a blank", "\xEF\xBB\xBF[s]\r\nk=\xC2\xA0v\xC2\xA0\r\n", u"s", u"k",
         u"\u00A0v\u00A0"},
        {"one pair of double quotes", "[s]\r\nk=\" v \"\r\n", u"s", u"k", u" v "},
        {"one pair of single quotes", "[s]\r\nk='v'\r\n", u"s", u"k", u"v"},
        {"a lone quote", "[s]\r\nk=\"\r\n", u"s", u"k", u"\""},
        {"mixed quotes", "[s]\r\nk='v\"\r\n", u"s", u"k", u"'v\""},
        {"nested quotes lose the outer pair", "[s]\r\nk=\"'v'\"\r\n", u"s", u"k", u"'v'"},
        {"a line without '=' has no value", "[s]\r\nk\r\nk=v\r\n", u"s", u"k", u""},
        {"comments are keys to a direct read", "[s]\r\n;c=1\r\n", u"s", u";c", u"1"},
        {"further '=' stay in the value", "[s]\r\nk==a=b\r\n", u"s", u"k", u"=a=b"},
        {"keys before the first header", "top=1\r\n[s]\r\n", u"", u"top", u"1"},
        {"[] is shadowed by the keys before the first header", "[]\r\nk=1\r\n", u"", u"k", u""},
        {"header up to the last ']'", "[a]b]\r\nk=1\r\n", u"a]b", u"k", u"1"},
        {"text after the last ']' is ignored", "[a] ; note\r\nk=1\r\n", u"a", u"k", u"1"},
        {"header names lose their blanks", "[ a ]\r\nk=1\r\n", u"a", u"k", u"1"},
        {"an unclosed header is a key", "[a=1\r\n[b]\r\n", u"", u"[a", u"1"},
        {"CR alone ends a line", "[s]\rk=1\rj=2", u"s", u"j", u"2"},
        {"LF alone ends a line", "[s]\nk=1\n", u"s", u"k", u"1"},
        {"names end at a zero", "[s\0t]\r\nk\0x=1\r\n"s, u"s", u"k", u"1"},
        {"values end at a zero", "[s]\r\nk=a\0b\r\n"s, u"s", u"k", u"a"},
        {"a zero inside quotes keeps the opening one", "[s]\r\nk=\"a\0\"\r\n"s, u"s", u"k", u"\"a"},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[s]\r\nk=\xC3\xA9\r\n", u"s", u"k",
         u"\u00E9"},
        {"UTF-8 without one", "[s]\r\nk=\xE4\xB8\xAD\r\n", u"s", u"k", u"\u4E2D"},
        {"not UTF-8: Windows-1252", "[s]\r\nk=\xE9!\x80\x81\r\n", u"s", u"k",
         u"\u00E9!\u20AC\u0081"},
        {"UTF-16 little-endian", utf16Bytes(u"[s]\r\nk=\u4E2D\r\n", true), u"s", u"k", u"\u4E2D"},
        {"UTF-16 big-endian", utf16Bytes(u"[s]\r\nk=\u4E2D\r\n", false), u"s", u"k", u"\u4E2D"},
        {"a cut UTF-8 sequence is one replacement", "\xEF\xBB\xBF[s]\r\nk=x\xE4\xB8y\r\n", u"s",
         u"k", u"x\uFFFDy"},
        {"an encoded surrogate is two", "\xEF\xBB\xBF[s]\r\nk=\xED\xA0\x80z\r\n", u"s", u"k",
         u"\uFFFD\uFFFDz"},
        {"bytes beyond U+10FFFF", "\xEF\xBB\xBF[s]\r\nk=\xF4\x90\x80\x80z\r\n", u"s", u"k",
         u"\uFFFD\uFFFD\uFFFDz"},
        {"an impossible lead byte is one each", "\xEF\xBB\xBF[s]\r\nk=\xF5\x80z\r\n", u"s", u"k",
         u"\uFFFD\uFFFDz"},
        {"a sequence cut by the end of the file", "\xEF\xBB\xBF[s]\r\nk=x\xF0\x9F\x98", u"s", u"k",
         u"x\uFFFD"},
        {"four bytes give a surrogate pair", "\xEF\xBB\xBF[s]\r\nk=\xF0\x9F\x98\x80\r\n", u"s",
         u"k", u"\U0001F600"},
        {"empty file", "", u"s", u"k", u""},
    };
    for (const ReadCase& c : cases) {
        IniDocument document = IniDocument::parse(c.bytes);
        WideString value(u"untouched");
        document.getValue(c.section, c.key, value);
        EXPECT_EQ(value.view() == u"untouched" ? u""sv : value.view(), c.expected) << c.name;
    }
}

using Names = std::vector<std::u16string_view>;

void expectNames(const WideStringList& actual, const Names& expected, const char* context) {
    ASSERT_EQ(actual.size(), expected.size()) << context;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].view(), expected[i]) << context << ", name " << i;
    }
}

TEST(IniDocument, ListsSectionsAndKeysAsThePlatformDoes) {
    IniDocument document = IniDocument::parse("top=1\r\n[A]\r\nk=1\r\n;comment=2\r\nno value\r\n"
                                              "#hash=3\r\n=nameless\r\n=dropped\r\nK=4\r\n"
                                              "[]\r\nx=1\r\n[ B ]\r\nb=1\r\n[a]\r\nlater=5\r\n"
                                              "[Nameless first]\r\n=v\r\nk=1\r\n");
    expectNames(document.sectionNames(), {u"A", u"B", u"a", u"Nameless first"}, "sections");
    expectNames(document.keyNames(u"a"), {u"k", u"#hash", u"", u"K"}, "keys of A");
    expectNames(document.keyNames(u""), {u"top"}, "keys before the first header");
    expectNames(document.keyNames(u"B"), {u"b"}, "keys of B");
    expectNames(document.keyNames(u" B "), {}, "no blanks stripped from listed names");
    expectNames(document.keyNames(u"Missing"), {}, "keys of a missing section");
    // Handed over zero-separated, a nameless first key ends the list at once.
    expectNames(document.keyNames(u"Nameless first"), {}, "nameless first key");
}

struct WriteCase {
    const char* name;
    std::string before;
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
    std::string after;
};

TEST(IniDocument, SetValueChangesOneLineAndKeepsTheRest) {
    const WriteCase cases[] = {
        {"existing key: the value is replaced, the rest of the line kept",
         "; head\r\n[Java Runtime Environment]\r\n  jre path = old  \r\nx=1\r\n",
         u"Java Runtime Environment", u"JRE Path", u"C:\\new",
         "; head\r\n[Java Runtime Environment]\r\n  jre path = C:\\new\r\nx=1\r\n"},
        {"existing key without '='", "[s]\r\nk\r\n", u"s", u"k", u"v", "[s]\r\nk=v\r\n"},
        {"the first of duplicate keys", "[s]\r\nk=1\r\nk=2\r\n", u"s", u"K", u"3",
         "[s]\r\nk=3\r\nk=2\r\n"},
        {"missing key: after the section's last key, before blank lines",
         "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", u"a", u"k", u"v",
         "[a]\r\nx=1\r\nk=v\r\n\r\n[b]\r\ny=2\r\n"},
        {"missing key in an empty section: after its header", "[a]\r\n[b]\r\n", u"A", u"k", u"v",
         "[a]\r\nk=v\r\n[b]\r\n"},
        {"missing key in a section of the last line", "x=1\n[a]", u"a", u"k", u"v",
         "x=1\n[a]\nk=v\n"},
        {"missing section: appended with the file's line ending", "[a]\nx=1\n", u"b", u"k", u"v",
         "[a]\nx=1\n[b]\nk=v\n"},
        {"missing section after a last line without ending", "[a]\r\nx=1", u"b", u"k", u"v",
         "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
        {"CR line endings", "[a]\rx=1\r", u"a", u"x", u"2", "[a]\rx=2\r"},
        {"empty file", "", u"Java Runtime Environment", u"JRE Path", u"/opt/jre",
         "[Java Runtime Environment]\r\nJRE Path=/opt/jre\r\n"},
        {"names are written without surrounding blanks", "", u" s ", u"\tk ", u"v",
         "[s]\r\nk=v\r\n"},
        {"a value may be empty", "[s]\r\nk=old\r\n", u"s", u"k", u"", "[s]\r\nk=\r\n"},
        {"UTF-8 with a byte-order mark stays so", "\xEF\xBB\xBF[s]\r\nk=\xC3\xA9\r\n", u"s", u"k",
         u"\u4E2D", "\xEF\xBB\xBF[s]\r\nk=\xE4\xB8\xAD\r\n"},
        {"UTF-16 stays UTF-16", utf16Bytes(u"[s]\r\nk=1\r\n", true), u"s", u"j", u"\u4E2D",
         utf16Bytes(u"[s]\r\nk=1\r\nj=\u4E2D\r\n", true)},
        {"UTF-16 big-endian stays so", utf16Bytes(u"[s]\nk=1\n", false), u"s", u"k", u"2",
         utf16Bytes(u"[s]\nk=2\n", false)},
        {"an odd last byte of UTF-16 stays", utf16Bytes(u"[s]\r\n", true) + "X", u"s", u"k", u"v",
         utf16Bytes(u"[s]\r\nk=v\r\n", true) + "X"},
        {"Windows-1252 stays so", "[s]\r\nk=\xE9\r\n", u"s", u"k", u"\u00C9!\u20AC",
         "[s]\r\nk=\xC9!\x80\r\n"},
        {"keys before the first header stay before it", "top=1\r\n[s]\r\n", u"s", u"top", u"2",
         "top=1\r\n[s]\r\ntop=2\r\n"},
    };
    for (const WriteCase& c : cases) {
        IniDocument document = IniDocument::parse(c.before);
        EXPECT_TRUE(document.setValue(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(document.serialize(), c.after) << c.name;
        WideString value;
        IniDocument::parse(document.serialize()).getValue(c.section, c.key, value);
        EXPECT_EQ(value.view(), c.value) << c.name << ": read back";
    }
}

struct RefusalCase {
    const char* name;
    std::string before;
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
};

TEST(IniDocument, SetValueRefusesWhatWouldNotReadBack) {
    const RefusalCase cases[] = {
        {"line feed in the value", "[s]\r\n", u"s", u"k", u"a\nb"},
        {"carriage return in the value", "[s]\r\n", u"s", u"k", u"a\rb"},
        {"zero in the value", "[s]\r\n", u"s", u"k", u"a\0b"sv},
        {"line break in the key", "[s]\r\n", u"s", u"k\r\n[x]", u"v"},
        {"line break in the section", "[s]\r\n", u"s]\r\n[t", u"k", u"v"},
        {"'=' in the key", "[s]\r\n", u"s", u"a=b", u"v"},
        {"a key that would read as a header", "[s]\r\n", u"s", u"[k", u"v]"},
        {"empty key", "[s]\r\n", u"s", u" ", u"v"},
        {"empty section", "[s]\r\n", u"", u"k", u"v"},
        {"a character Windows-1252 lacks", "[s]\r\nk=\xE9\r\n", u"s", u"k", u"\u4E2D"},
        {"a lone surrogate in UTF-8", "[s]\r\n", u"s", u"k", u"\xD800"sv},
        {"damaged UTF-8 would not survive a rewrite", "\xEF\xBB\xBF[s]\r\nk=\xFF\r\n", u"s", u"j",
         u"v"},
        {"Windows-1252 bytes that would turn into UTF-8", "[s]\r\nk=\xC3\xA9\r\nj=\xE9\r\n", u"s",
         u"j", u"plain"},
    };
    for (const RefusalCase& c : cases) {
        IniDocument document = IniDocument::parse(c.before);
        std::string unchanged = document.serialize();
        EXPECT_FALSE(document.setValue(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(document.serialize(), unchanged) << c.name;
    }
}

TEST(IniDocument, SerializeGivesBackTheBytesRead) {
    const std::string files[] = {
        "",
        "[a]\r\nk=v",
        "\r\n\r\n[a]\n\rk = v \r\r\n",
        "\xEF\xBB\xBF[\xC3\xA9]\r\n",
        "[a]\r\nk=\xE9\x81\x8D\x8F\x90\x9D\r\n",
        utf16Bytes(u"[a]\r\nk=\xD800\r\n", true) + "Z",
        utf16Bytes(u"[a]\r\n", false),
        "no header\0at all"s,
    };
    for (const std::string& bytes : files) {
        EXPECT_EQ(IniDocument::parse(bytes).serialize(), bytes);
    }
}

} // namespace
} // namespace launcher
