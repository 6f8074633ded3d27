// Linux INI paths: the main INI beside the executable, with or without an extension.
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

// Programs here usually carry no extension: their INI is the path plus ".ini";
// a "." in a folder name starts no extension.
TEST(IniPathOf, AddsIniToAProgramWithoutExtension) {
    const IniPathCase cases[] = {
        {u"/opt/app/tool", true, u"/opt/app/tool.ini"},
        {u"/opt/my.app/tool", true, u"/opt/my.app/tool.ini"},
        {u"/opt/app/tool.exe", true, u"/opt/app/tool.ini"},
        {u"/opt/app/tool.v2.sh", true, u"/opt/app/tool.v2.ini"},
        {u"tool", true, u"tool.ini"},
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
