// The INI file store on both systems: long quoted values read in full.
#include "config/ini_store.h"
#include "platform/text.h"
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

} // namespace
} // namespace launcher
