// INI paths on both systems: the per-user folder names and the files beside the executable.
#include "config/ini_paths.h"
#include "platform/path.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

std::string narrow(std::u16string_view text) {
    return platform::wideToNarrow(text);
}

struct IniPathCase {
    std::u16string_view program;
    std::u16string_view windowsIni; // empty: no INI path is formed
    std::u16string_view otherIni;
};

// Windows replaces everything after the last "." of the whole path by "ini";
// elsewhere programs usually carry no extension: their INI is the path plus
// ".ini", and a "." in a folder name starts no extension.
TEST(IniPathOf, FollowsTheSystemsRuleForExtensions) {
    const IniPathCase cases[] = {
        {u"C:\\App\\Tool.exe", u"C:\\App\\Tool.ini", u"C:\\App\\Tool.ini"},
        {u"C:\\My.App\\Launcher", u"C:\\My.ini", u"C:\\My.ini"},
        {u"C:\\App\\tool.v2.exe", u"C:\\App\\tool.v2.ini", u"C:\\App\\tool.v2.ini"},
        {u"C:\\App\\Tool.", u"C:\\App\\Tool.ini", u"C:\\App\\Tool.ini"},
        {u"C:\\App\\Tool", u"", u"C:\\App\\Tool.ini"},
        {u"/opt/app/tool", u"", u"/opt/app/tool.ini"},
        {u"/opt/my.app/tool", u"/opt/my.ini", u"/opt/my.app/tool.ini"},
        {u"/opt/app/tool.exe", u"/opt/app/tool.ini", u"/opt/app/tool.ini"},
        {u"/opt/app/tool.v2.sh", u"/opt/app/tool.v2.ini", u"/opt/app/tool.v2.ini"},
        {u"tool", u"", u"tool.ini"},
        {u"", u"", u""},
    };
    for (const IniPathCase& c : cases) {
        std::u16string_view expected = platform::kDriveAndNetworkRoots ? c.windowsIni : c.otherIni;
        WideString ini(u"untouched");
        EXPECT_EQ(iniPathOf(WideString(c.program), ini), !expected.empty()) << narrow(c.program);
        EXPECT_EQ(ini.view(), expected.empty() ? u"untouched" : expected) << narrow(c.program);
    }
}

TEST(ProductFolderName, DropsTheNineCharactersNoFolderNameMayHold) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"A/B: Tool?", u"AB Tool"},
        {u"\\?\"|><:/*", u""},
        {u"a\\b?c\"d|e>f<g:h/i*j", u"abcdefghij"},
        {u"  My  App  ", u"  My  App  "},
        {u"Caf\u00E9 \u4E2D.v2 (x86) [beta] #1 ;=", u"Caf\u00E9 \u4E2D.v2 (x86) [beta] #1 ;="},
        {u"", u""},
    };
    for (const auto& [productName, folder] : cases) {
        EXPECT_EQ(productFolderName(WideString(productName)).view(), folder) << narrow(productName);
    }
}

TEST(IniEntries, NetworkAndDrivePathsAreAbsoluteOnWindowsOnly) {
    bool windows = platform::kPathSeparator == u'\\';
    EXPECT_EQ(isRelativeEntry(u"\\\\server\\share\\a.jar"), !windows);
    EXPECT_EQ(isRelativeEntry(u"C:\\a.jar"), !windows);
    EXPECT_EQ(isRelativeEntry(u"/opt/a.jar"), windows);
    EXPECT_TRUE(isRelativeEntry(u"\\lib\\a.jar"));
    EXPECT_TRUE(isRelativeEntry(u"a"));
    EXPECT_TRUE(isRelativeEntry(u""));
}

} // namespace
} // namespace launcher
