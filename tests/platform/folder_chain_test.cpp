// The folder chain a file about to be written needs.
#include "platform/file_system.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace launcher::platform {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;
using testing::toU16;

TEST(CreateFoldersForFile, MakesTheMissingChainLevelByLevel) {
    TestFolder folder;
    const std::u16string sep(1, kPathSeparator);
    WideString file(toU16(folder.path()) + sep + u"Logs" + sep + u"2017" + sep + u"March" + sep +
                    u"app.log");
    EXPECT_EQ(createFoldersForFile(file), 0u);
    EXPECT_TRUE(fs::is_directory(folder.path() / "Logs" / "2017" / "March"));
    EXPECT_FALSE(fs::exists(folder.path() / "Logs" / "2017" / "March" / "app.log"));
    EXPECT_EQ(createFoldersForFile(file), 0u); // all there: nothing to do
}

TEST(CreateFoldersForFile, AFolderThatCannotBeMadeTakesBackOnlyWhatTheWalkMade) {
    const std::u16string sep(1, kPathSeparator);
    const std::u16string tooLong(300, u'n'); // longer than any folder name may be
    const struct {
        const char* name;
        bool existedBefore;
        bool keptAfter;
    } cases[] = {
        {"made by the walk", false, false},
        {"there before", true, true},
    };
    for (const auto& c : cases) {
        TestFolder folder;
        if (c.existedBefore) {
            fs::create_directory(folder.path() / "upper");
        }
        WideString file(toU16(folder.path()) + sep + u"upper" + sep + tooLong + sep + u"a.log");
        EXPECT_NE(createFoldersForFile(file), 0u) << c.name;
        EXPECT_EQ(fs::exists(folder.path() / "upper"), c.keptAfter) << c.name;
    }
}

TEST(CreateFoldersForFile, ARelativeNamesFirstFolderIsItsRootAndNeverMade) {
    TestFolder folder;
    fs::path before = fs::current_path();
    fs::current_path(folder.path());
    const std::u16string sep(1, kPathSeparator);
    uint32_t result = createFoldersForFile(WideString(u"logs" + sep + u"out.txt"));
    bool made = fs::exists(folder.path() / "logs");
    uint32_t deeper = createFoldersForFile(WideString(u"logs" + sep + u"a" + sep + u"out.txt"));
    fs::current_path(before);
    EXPECT_EQ(result, 0u);
    EXPECT_FALSE(made);
    EXPECT_NE(deeper, 0u); // logs itself is missing, so logs/a cannot be made
}

} // namespace
} // namespace launcher::platform
