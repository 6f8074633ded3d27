// Windows INI paths: the per-user folder, only ever an absolute one.
#include "platform/user_folders.h"
#include "support/scoped_variable.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

// A relative APPDATA would put the per-user file below the current directory.
TEST(ApplicationDataFolder, OnlyAnAbsoluteAppDataCounts) {
    const struct {
        std::u16string_view appData; // empty: unset
        std::u16string_view expected;
    } rows[] = {
        {u"C:\\Users\\u\\AppData\\Roaming", u"C:\\Users\\u\\AppData\\Roaming"},
        {u"\\\\server\\profiles\\u", u"\\\\server\\profiles\\u"},
        {u"AppData", u""},
        {u"C:AppData", u""},
        {u"", u""},
    };
    for (const auto& row : rows) {
        testing::ScopedVariable appData(u"APPDATA", row.appData);
        EXPECT_EQ(platform::userSettingsFolder(), row.expected)
            << std::string(row.appData.begin(), row.appData.end());
    }
}

} // namespace
} // namespace launcher
