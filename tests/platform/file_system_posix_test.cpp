// The long-path prefix is a Windows matter: Linux paths stay as they are, long or
// not; file searches hand back names as they are on disk, bytes that are not
// UTF-8 included.
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace launcher::platform {
namespace {

TEST(WithLongPathPrefix, PathsStayAsTheyAre) {
    const std::u16string kLong(300, u'a');
    for (const std::u16string& path :
         {std::u16string(u"/opt/jre"), u"/opt/" + kLong, u"\\\\server\\share\\" + kLong}) {
        EXPECT_EQ(withLongPathPrefix(WideString(path)), path);
    }
}

TEST(DirectorySearch, FindsNamesThatAreNotUtf8AndGivesThemBackWhole) {
    launcher::testing::TestFolder folder;
    folder.write("lib/app\xFF.jar", "");
    folder.write("lib/b\xC3\xA9.jar", "");
    folder.write("lib/other.txt", "");
    std::vector<std::string> found;
    WideString pattern(launcher::testing::toU16(folder.path() / "lib"));
    pattern.append(u"/*.jar");
    searchDirectory(pattern,
                    [&](const WideString& name) { found.push_back(wideToNarrow(name.view())); });
    EXPECT_EQ(found, (std::vector<std::string>{"app\xFF.jar", "b\xC3\xA9.jar"}));
    WideString exact(launcher::testing::toU16(folder.path() / "lib"));
    exact.append(u"/").append(fileNameToWide("app\xFF.jar"));
    EXPECT_TRUE(directoryEntryExists(exact));
}

} // namespace
} // namespace launcher::platform
