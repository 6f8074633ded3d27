// Linux INI paths: the per-user folder, only ever an absolute one.
#include "config/ini_paths.h"
#include "platform/text.h"
#include "platform/user_folders.h"
#include "support/scoped_variable.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace launcher {
namespace {

std::string narrow(std::u16string_view text) {
    return platform::wideToNarrow(text);
}

struct ApplicationDataCase {
    const char* name;
    std::u16string_view xdgConfigHome; // empty: unset
    std::u16string_view home;
    std::u16string_view expected; // empty: no per-user folder
};

// XDG_CONFIG_HOME when absolute, else $HOME/.config when HOME is absolute; a
// relative value counts as unset (the XDG rule), and without either there is no
// per-user folder: never one below the root or the current directory.
TEST(ApplicationDataFolder, OnlyAbsoluteFoldersCount) {
    const ApplicationDataCase cases[] = {
        {"XDG_CONFIG_HOME", u"/cfg", u"/home/u", u"/cfg"},
        {"HOME alone", u"", u"/home/u", u"/home/u/.config"},
        {"neither", u"", u"", u""},
        {"relative XDG_CONFIG_HOME is ignored", u"cfg", u"/home/u", u"/home/u/.config"},
        {"relative XDG_CONFIG_HOME and no HOME", u"cfg", u"", u""},
        {"relative HOME", u"", u"home", u""},
    };
    for (const ApplicationDataCase& c : cases) {
        testing::ScopedVariable xdg(u"XDG_CONFIG_HOME", c.xdgConfigHome);
        testing::ScopedVariable home(u"HOME", c.home);
        EXPECT_EQ(platform::userSettingsFolder(), c.expected) << c.name;
    }
}

// Without a folder there is no per-user path, and no folder is made for it:
// neither below the root nor below the current directory.
TEST(PerUserIniPath, NoneWithoutAnApplicationDataFolder) {
    testing::TestFolder folder;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    LauncherSettings settings;
    settings.productName = u"Hardening Probe 10a2";
    settings.productCode = u"CODE";
    for (std::u16string_view xdg : {u"", u"relative"}) {
        testing::ScopedVariable xdgVariable(u"XDG_CONFIG_HOME", xdg);
        testing::ScopedVariable home(u"HOME", u"");
        EXPECT_EQ(perUserIniPath(settings, WideString(u"/opt/app/tool"), true), u"") << narrow(xdg);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    EXPECT_FALSE(std::filesystem::exists("/Hardening Probe 10a2"));
    ASSERT_EQ(chdir(previous), 0);
}

} // namespace
} // namespace launcher
