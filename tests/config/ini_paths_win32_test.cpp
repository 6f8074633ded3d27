// Windows INI paths: the main INI beside the executable, extension replaced.
#include "config/ini_locations.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

std::string narrow(std::u16string_view text) {
    return platform::wideToNarrow(text);
}

struct IniPathCase {
    std::u16string_view program;
    bool formed;
    std::u16string_view ini;
};

// Everything after the last "." of the whole path becomes "ini".
TEST(IniPathOf, ReplacesWhatFollowsTheLastDotOfThePath) {
    const IniPathCase cases[] = {
        {u"C:\\App\\Tool.exe", true, u"C:\\App\\Tool.ini"},
        {u"C:\\My.App\\Launcher", true, u"C:\\My.ini"},
        {u"C:\\App\\tool.v2.exe", true, u"C:\\App\\tool.v2.ini"},
        {u"C:\\App\\Tool.", true, u"C:\\App\\Tool.ini"},
        {u"C:\\App\\Tool", false, u""},
        {u"", false, u""},
    };
    for (const IniPathCase& c : cases) {
        WideString ini(u"untouched");
        EXPECT_EQ(iniPathOf(WideString(c.program), ini), c.formed) << narrow(c.program);
        EXPECT_EQ(ini.view(), c.formed ? c.ini : u"untouched") << narrow(c.program);
    }
}

} // namespace
} // namespace launcher
