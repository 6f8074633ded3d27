// The file store and the layered store on both systems: Windows answers
// through the private-profile functions, Linux through its own reader.
#include "config/ini_store.h"
#include "platform/text.h"
#include "support/test_folder.h"
#include "support/test_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace launcher {
namespace {

using launcher::testing::repeatedText;

using testing::TestFolder;
using testing::toU16;

struct PlusCase {
    const char* name;
    std::string_view file;
    std::u16string_view expected;
};

// The file's own value wins when non-empty; otherwise the value of the section
// named with a "+" follows. With nothing before it (no base layer value) no blank
// is put in front: a "Main Class" or "JRE Path" from a "+" section stays whole.
TEST(LayeredIniStore, ExtendsAnEmptyValueFromThePlusSection) {
    const PlusCase cases[] = {
        {"empty value, extension in the + section",
         "[Java Runtime Environment]\r\nVirtual Machine Parameters=\r\n"
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx512m\r\n",
         u"-Xmx512m"},
        {"missing key, extension in the + section",
         "[Java Runtime Environment]\r\n"
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx512m\r\n",
         u"-Xmx512m"},
        {"no main section at all",
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx512m\r\n", u"-Xmx512m"},
        {"extension that starts with a blank (kept by its quotes)",
         "[Java Runtime Environment]\r\nVirtual Machine Parameters=\r\n"
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=\" -Xmx512m\"\r\n",
         u" -Xmx512m"},
        {"non-empty main value wins",
         "[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xms64m\r\n"
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx512m\r\n",
         u"-Xms64m"},
        {"+ section found without regard to case",
         "[java runtime environment+]\r\nvirtual machine parameters=-Xmx1g\r\n", u"-Xmx1g"},
        {"empty extension adds nothing",
         "[Java Runtime Environment]\r\nVirtual Machine Parameters=\r\n"
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=\r\n",
         u""},
        {"neither", "[Other]\r\nVirtual Machine Parameters=-Xmx1g\r\n", u""},
        {"a + section of another section does not count",
         "[Application+]\r\nVirtual Machine Parameters=-Xmx1g\r\n", u""},
    };
    TestFolder folder;
    for (const PlusCase& c : cases) {
        WideString path(toU16(folder.write("launcher.ini", c.file)));
        LayeredIniStore store(path);
        EXPECT_EQ(store.getValue(u"Java Runtime Environment", u"Virtual Machine Parameters"),
                  c.expected)
            << c.name;
    }
}

struct PlusKeyCase {
    std::u16string_view section;
    std::u16string_view key;
    std::string_view file;
    std::u16string_view expected;
};

// Names and paths from a "+" section arrive exactly as written there.
TEST(LayeredIniStore, APlusValueWithNothingBeforeItGetsNoBlank) {
    const PlusKeyCase cases[] = {
        {u"Java Runtime Environment", u"Main Class",
         "[Java Runtime Environment+]\r\nMain Class=com.example.App\r\n", u"com.example.App"},
        {u"Java Runtime Environment", u"JRE Path",
         "[Java Runtime Environment]\r\nJRE Path=\r\n[Java Runtime Environment+]\r\n"
         "JRE Path=jre\r\n",
         u"jre"},
        {u"Class Path", u"Class Path", "[Class Path+]\r\nClass Path=\\lib\\*.jar\r\n",
         u"\\lib\\*.jar"},
        {u"Application", u"Output File", "[Application+]\r\nOutput File=out.txt\r\n", u"out.txt"},
    };
    TestFolder folder;
    for (const PlusKeyCase& c : cases) {
        WideString path(toU16(folder.write("launcher.ini", c.file)));
        EXPECT_EQ(LayeredIniStore(path).getValue(c.section, c.key), c.expected)
            << platform::wideToNarrow(WideString(c.key));
    }
}

// A base layer's value comes first; a "+" value is joined to it after one blank
// (none when it brings its own), and the file's own value replaces both.
TEST(LayeredIniStore, APlusValueExtendsTheBaseLayersValue) {
    const PlusCase cases[] = {
        {"base alone", "[Other]\r\n", u"-Xms64m"},
        {"base and + value", "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx1g\r\n",
         u"-Xms64m -Xmx1g"},
        {"+ value with its own blank",
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=\" -Xmx1g\"\r\n",
         u"-Xms64m -Xmx1g"},
        {"the file's value wins",
         "[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xss2m\r\n"
         "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx1g\r\n",
         u"-Xss2m"},
    };
    TestFolder folder;
    for (const PlusCase& c : cases) {
        WideString path(toU16(folder.write("launcher.ini", c.file)));
        LayeredIniStore store(
            path, u"[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xms64m\r\n");
        EXPECT_EQ(store.getValue(u"Java Runtime Environment", u"Virtual Machine Parameters"),
                  c.expected)
            << c.name;
    }
}

TEST(LayeredIniStore, WritesAndListsTheFileOnly) {
    TestFolder folder;
    WideString path(toU16(folder.write("launcher.ini", "[A]\r\nk=1\r\n")));
    LayeredIniStore store(path);
    ASSERT_TRUE(store.setValue(u"B", u"k", u"2"));
    WideStringList names;
    store.getSectionNames(names);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], u"A");
    EXPECT_EQ(names[1], u"B");
    EXPECT_EQ(IniFileStore(path).getValue(u"B", u"k"), u"2");
}

// Values are read whole whatever their length: the read buffer starts at 256
// characters and doubles while the value may have been cut.
TEST(IniFileStore, ReadsLongValuesInFull) {
    const size_t lengths[] = {1, 254, 255, 256, 257, 510, 511, 512, 513, 1023, 4096, 70000};
    std::string file = "[Long]\r\n";
    for (size_t length : lengths) {
        file += "v" + std::to_string(length) + "=" + repeatedText("0123456789", length) + "\r\n";
    }
    TestFolder folder;
    IniFileStore store(WideString(toU16(folder.write("long.ini", file))));
    for (size_t length : lengths) {
        std::string key = "v" + std::to_string(length);
        WideString value = store.getValue(u"Long", platform::narrowToWide(key));
        EXPECT_EQ(platform::wideToNarrow(value), repeatedText("0123456789", length)) << key;
    }
}

struct ValueCase {
    const char* name;
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view expected;
};

TEST(IniFileStore, FollowsThePrivateProfileRules) {
    TestFolder folder;
    IniFileStore store(WideString(toU16(folder.write("rules.ini", "[Application]\r\n"
                                                                  "Main Class = a.b.C \r\n"
                                                                  "main class=second\r\n"
                                                                  "Quoted=\"  q  \"\r\n"
                                                                  "Single='s'\r\n"
                                                                  "Unbalanced=\"u\r\n"
                                                                  "Inner=a\"b\"\r\n"
                                                                  "Empty=\r\n"
                                                                  "[application]\r\n"
                                                                  "Other=in the second one\r\n"))));
    const ValueCase cases[] = {
        {"blanks around the name and value go", u"Application", u"Main Class", u"a.b.C"},
        {"names match without regard to case; the first wins", u"APPLICATION", u"MAIN CLASS",
         u"a.b.C"},
        {"one pair of double quotes goes", u"Application", u"Quoted", u"  q  "},
        {"one pair of single quotes goes", u"Application", u"Single", u"s"},
        {"an unbalanced quote stays", u"Application", u"Unbalanced", u"\"u"},
        {"inner quotes stay", u"Application", u"Inner", u"a\"b\""},
        {"empty value", u"Application", u"Empty", u""},
        {"a key of a later section of the same name is not seen", u"Application", u"Other", u""},
        {"missing key", u"Application", u"Missing", u""},
        {"missing section", u"Missing", u"Main Class", u""},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(store.getValue(c.section, c.key), c.expected) << c.name;
    }
}

TEST(IniFileStore, MissingFileReadsEmpty) {
    TestFolder folder;
    IniFileStore store(WideString(toU16(folder.path() / "missing.ini")));
    EXPECT_EQ(store.getValue(u"Application", u"Main Class"), u"");
    WideStringList names = {WideString(u"stale")};
    store.getSectionNames(names);
    EXPECT_TRUE(names.empty());
}

TEST(IniFileStore, ListsSectionNamesInFileOrder) {
    std::string file = "top=before any section\r\n[First]\r\n[]\r\n[Second]\r\nk=v\r\n[first]\r\n"
                       "  [ Third ]  \r\n";
    std::vector<std::u16string_view> expected = {u"First", u"Second", u"first", u"Third"};
    // Enough sections to need more than the first buffer of 256 characters.
    for (int i = 0; i < 40; ++i) {
        file += "[Section number " + std::to_string(i) + "]\r\n";
    }
    TestFolder folder;
    IniFileStore store(WideString(toU16(folder.write("sections.ini", file))));
    WideStringList names;
    store.getSectionNames(names);
    ASSERT_EQ(names.size(), expected.size() + 40);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(names[i].view(), expected[i]) << i;
    }
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(platform::wideToNarrow(names[expected.size() + i]),
                  "Section number " + std::to_string(i));
    }
}

TEST(IniFileStore, CheckReadableAndRemoveDeletes) {
    TestFolder folder;
    std::filesystem::path path = folder.write("probe.ini", "[A]\r\n");
    IniFileStore store{WideString(toU16(path))};
    EXPECT_EQ(store.checkReadable(), 0u);
    EXPECT_TRUE(store.remove());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_NE(store.checkReadable(), 0u);
    EXPECT_FALSE(store.remove());
    std::filesystem::create_directory(path);
    EXPECT_NE(store.checkReadable(), 0u) << "a folder is no readable INI file";
}

} // namespace
} // namespace launcher
