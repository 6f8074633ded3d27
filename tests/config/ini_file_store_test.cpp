// The INI file store on both systems: long quoted values read in full, and the
// encodings editors save files in.
#include "config/ini_store.h"
#include "platform/text.h"
#include "support/file_bytes.h"
#include "support/test_folder.h"
#include "support/test_text.h"

#include <gtest/gtest.h>

#include <string>

namespace launcher {
namespace {

using launcher::testing::repeatedText;

using testing::TestFolder;
using testing::toU16;

// Quoted values whose length meets the read buffer's are read whole (the platform
// cuts a quoted value to one less than an unquoted one).
TEST(IniFileStoreReading, ReadsLongQuotedValuesInFull) {
    const size_t lengths[] = {253, 254, 255, 256, 257, 509, 510, 511, 512};
    std::string file = "[Long]\r\n";
    for (size_t length : lengths) {
        file +=
            "q" + std::to_string(length) + "=\"" + repeatedText("0123456789", length) + "\"\r\n";
    }
    TestFolder folder;
    IniFileStore store(WideString(toU16(folder.write("quoted.ini", file))));
    for (size_t length : lengths) {
        std::string key = "q" + std::to_string(length);
        WideString value = store.getValue(u"Long", platform::narrowToWide(key));
        EXPECT_EQ(platform::wideToNarrow(value), repeatedText("0123456789", length)) << key;
    }
}

// Each file holds [App] title=... in one encoding.
struct EncodingRow {
    const char* name;
    std::string bytes;
    std::u16string_view title;
};

const EncodingRow kEncodingRows[] = {
    {"UTF-8 with its mark", "\xEF\xBB\xBF[App]\r\ntitle=Привет\r\n", u"Привет"},
    {"UTF-8 without a mark", "[App]\r\ntitle=Привет 应用\r\n", u"Привет 应用"},
    {"code page",
     "[App]\r\ntitle=Gr\xFC\xDF"
     "e\r\n",
     u"Grüße"},
    {"UTF-16", testing::utf16Bytes(u"[App]\r\ntitle=Привет\r\n", true), u"Привет"},
};

TEST(IniFileStoreEncodings, ReadsUtf8AsUtf8AndOtherBytesByTheCodePage) {
    TestFolder folder;
    for (const EncodingRow& row : kEncodingRows) {
        IniFileStore store(WideString(toU16(folder.write("encoded.ini", row.bytes))));
        EXPECT_EQ(store.getValue(u"App", u"title").view(), row.title) << row.name;
    }
}

// A saved "JRE Path" reads back unchanged, and a UTF-8 file keeps its form; an
// ASCII file given a name the code page lacks becomes UTF-8 rather than lose it.
TEST(IniFileStoreEncodings, SavesInTheFilesEncoding) {
    const struct {
        const char* name;
        std::string bytes;
        const char* start;
    } rows[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF[App]\r\ntitle=Привет\r\n", "\xEF\xBB\xBF[App]"},
        {"UTF-8 without a mark", "[App]\r\ntitle=Привет\r\n", "[App]"},
        {"ASCII", "[App]\r\ntitle=Hello\r\n", "[App]"},
    };
    std::u16string_view folderName = u"C:\\Приложение\\jre";
    TestFolder folder;
    for (const auto& row : rows) {
        WideString path(toU16(folder.write("saved.ini", row.bytes)));
        ASSERT_TRUE(
            IniFileStore(path).setValue(u"Java Runtime Environment", u"JRE Path", folderName))
            << row.name;
        EXPECT_EQ(IniFileStore(path).getValue(u"Java Runtime Environment", u"JRE Path").view(),
                  folderName)
            << row.name;
        EXPECT_EQ(IniFileStore(path).getValue(u"App", u"title").empty(), false) << row.name;
        std::string bytes = testing::readFile(folder.path() / "saved.ini");
        EXPECT_TRUE(bytes.starts_with(row.start)) << row.name;
        EXPECT_NE(bytes.find("Приложение"), std::string::npos) << row.name;
    }
}

} // namespace
} // namespace launcher
