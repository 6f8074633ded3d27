// Private files: who may write an entry, folders made for one user, and file
// names compared as the system compares them.
#include "platform/private_files.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace launcher::platform {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;
using testing::toU16;

constexpr bool kWindows =
#if defined(_WIN32)
    true;
#else
    false;
#endif

TEST(FileNamesEqual, AsTheSystemComparesThem) {
    const struct {
        std::u16string_view first, second;
        bool onWindows, elsewhere;
    } cases[] = {
        {u"MyApp-startup.aot", u"MyApp-startup.aot", true, true},
        {u"MyApp-startup.aot", u"myapp-STARTUP.AOT", true, false},
        {u"\u00e9t\u00e9.jsa", u"\u00c9T\u00c9.jsa", true, false},
        {u"app.jsa", u"app.jsb", false, false},
        {u"app", u"app.jsa", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fileNamesEqual(c.first, c.second), kWindows ? c.onWindows : c.elsewhere)
            << std::string(c.first.begin(), c.first.end());
    }
    EXPECT_EQ(foldedForFileNames(u"MyApp.exe"), WideString(kWindows ? u"MYAPP.EXE" : u"MyApp.exe"));
}

TEST(OnlyThisUserMayWrite, WhatThisUserMadeAndNothingElse) {
    TestFolder folder;
    fs::path file = folder.write("cache.jsa", "archive");
    EXPECT_TRUE(onlyThisUserMayWrite(WideString(toU16(file))));
    EXPECT_TRUE(onlyThisUserMayWrite(WideString(toU16(folder.path()))));
    EXPECT_FALSE(onlyThisUserMayWrite(WideString(toU16(folder.path() / "missing"))));
    if (!kWindows) {
        fs::permissions(file, fs::perms::others_write, fs::perm_options::add);
        EXPECT_FALSE(onlyThisUserMayWrite(WideString(toU16(file))));
        fs::create_symlink(folder.path() / "missing", folder.path() / "link");
        EXPECT_FALSE(onlyThisUserMayWrite(WideString(toU16(folder.path() / "link"))));
    }
}

TEST(CreatePrivateFolderLevel, MadeOnceThenFound) {
    TestFolder folder;
    WideString level(toU16(folder.path() / "product"));
    bool made = false;
    EXPECT_EQ(createPrivateFolderLevel(level, made), 0u);
    EXPECT_TRUE(made);
    EXPECT_EQ(createPrivateFolderLevel(level, made), 0u);
    EXPECT_FALSE(made);
    if (!kWindows) {
        EXPECT_EQ(fs::status(folder.path() / "product").permissions() & fs::perms::all,
                  fs::perms::owner_all);
    }
    folder.write("file", "");
    EXPECT_NE(createPrivateFolderLevel(WideString(toU16(folder.path() / "file")), made), 0u);
}

} // namespace
} // namespace launcher::platform
