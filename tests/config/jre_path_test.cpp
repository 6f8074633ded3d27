// Where "JRE Path" is read from and written to: the per-user INI of a desktop
// launcher, the main INI of a service launcher, and the companion's files.
#include "config/ini_paths.h"
#include "config/ini_store.h"
#include "config/setting_names.h"
#include "support/file_bytes.h"
#include "support/own_ini_file.h"
#include "support/scoped_variable.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace launcher {
namespace {

namespace fs = std::filesystem;
using testing::OwnIniFile;
using testing::readFile;
using testing::ScopedVariable;
using testing::TestFolder;
using testing::toU16;

std::u16string jrePathIn(const fs::path& ini) {
    return std::u16string(
        IniFileStore(WideString(toU16(ini))).getValue(kJreSection, kJrePathKey).view());
}

// The test program's own context, its per-user INI named by the settings' product.
RunContext contextOf(const LauncherSettings& settings) {
    RunContext context;
    EXPECT_TRUE(findRunContext(context));
    context.perUserIni = perUserIniPath(settings, context.executable);
    return context;
}

std::u16string readJrePathOf(const LauncherSettings& settings) {
    return std::u16string(readJrePath(settings, contextOf(settings)).view());
}

// Application data points into a fresh folder, which exists as it does on any
// system; the product is "A/B: Tool?" (folder "AB Tool") with code "CODE1".
class JrePath : public ::testing::Test {
  protected:
    JrePath() : appData_(testing::applicationDataVariable(), toU16(folder_.path() / "appdata")) {
        fs::create_directory(folder_.path() / "appdata");
        settings_.productName = u"A/B: Tool?";
        settings_.productCode = u"CODE1";
    }

    // Derived from the running test program with std::filesystem: the file
    // name without its extension, plus ".ini".
    fs::path perUserIni(const fs::path& program) const {
        return folder_.path() / "appdata" / "AB Tool" / "CODE1" /
               (program.stem().string() + ".ini");
    }
    fs::path ownPerUserIni() const {
        return perUserIni(fs::path(std::u16string(contextOf(settings_).executable.view())));
    }

    TestFolder folder_;
    ScopedVariable appData_;
    LauncherSettings settings_;
};

struct ReadCase {
    const char* name;
    bool service;
    std::optional<std::string_view> perUser;
    std::string_view main;
    std::u16string_view expected;
};

TEST_F(JrePath, IsReadFromTheFileTheLauncherKeepsItIn) {
    const ReadCase cases[] = {
        {"desktop: an existing per-user file answers even when its value is empty", false,
         "[Java Runtime Environment]\r\nJRE Path=\r\n",
         "[Java Runtime Environment]\r\nJRE Path=C:\\main\r\n", u""},
        {"desktop: a per-user file without the key answers too", false, "[Other]\r\nk=v\r\n",
         "[Java Runtime Environment]\r\nJRE Path=C:\\main\r\n", u""},
        {"desktop: the per-user value", false,
         "[Java Runtime Environment]\r\nJRE Path=C:\\user\r\n",
         "[Java Runtime Environment]\r\nJRE Path=C:\\main\r\n", u"C:\\user"},
        {"desktop without per-user file: the main INI", false, std::nullopt,
         "[Java Runtime Environment]\r\nJRE Path=C:\\main\r\n", u"C:\\main"},
        {"desktop without per-user file: the main INI's + section", false, std::nullopt,
         "[Java Runtime Environment+]\r\nJRE Path=C:\\extra\r\n", u"C:\\extra"},
        {"service: the main INI only", true, "[Java Runtime Environment]\r\nJRE Path=C:\\user\r\n",
         "[Java Runtime Environment]\r\nJRE Path=C:\\main\r\n", u"C:\\main"},
        {"service: an empty main value stays empty", true,
         "[Java Runtime Environment]\r\nJRE Path=C:\\user\r\n", "[Application]\r\n", u""},
    };
    for (const ReadCase& c : cases) {
        std::error_code ignored;
        fs::remove_all(folder_.path() / "appdata" / "AB Tool", ignored);
        if (c.perUser) {
            fs::path perUser = ownPerUserIni();
            fs::create_directories(perUser.parent_path());
            std::ofstream(perUser, std::ios::binary) << *c.perUser;
        }
        OwnIniFile main(c.main);
        settings_.serviceMode = c.service;
        EXPECT_EQ(readJrePathOf(settings_), c.expected) << c.name;
    }
}

TEST_F(JrePath, DesktopSaveWritesThePerUserFilesAndCreatesTheirFolders) {
    const std::string mainContent = "[Java Runtime Environment]\r\nJRE Path=C:\\main\r\n";
    OwnIniFile main(mainContent);
    fs::path companion = folder_.path() / "other" / "Companion.exe";
    settings_.pairProduct = WideString(toU16(companion));
    ASSERT_TRUE(fs::is_empty(folder_.path() / "appdata"));

    saveJrePath(settings_, contextOf(settings_), WideString(u"C:\\chosen jre\\"));

    EXPECT_EQ(jrePathIn(ownPerUserIni()), u"C:\\chosen jre\\");
    EXPECT_EQ(jrePathIn(perUserIni(companion)), u"C:\\chosen jre\\");
    EXPECT_EQ(readFile(main.path()), mainContent);
    EXPECT_FALSE(fs::exists(folder_.path() / "other" / "Companion.ini"));
    // The next start reads the saved value.
    EXPECT_EQ(readJrePathOf(settings_), u"C:\\chosen jre\\");
}

TEST_F(JrePath, DesktopSaveWithoutCompanionWritesOnlyItsOwnFile) {
    OwnIniFile main("[Application]\r\n");
    saveJrePath(settings_, contextOf(settings_), WideString(u"C:\\jre"));
    EXPECT_EQ(jrePathIn(ownPerUserIni()), u"C:\\jre");
    size_t files = 0;
    for (const fs::directory_entry& entry :
         fs::recursive_directory_iterator(folder_.path() / "appdata")) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(JrePath, ServiceSaveWritesTheMainFilesOfLauncherAndCompanion) {
    OwnIniFile main("; kept\r\n[Application]\r\nApplication Type=service\r\n"
                    "[Java Runtime Environment]\r\nJRE Path=C:\\old\r\n");
    settings_.serviceMode = true;
    fs::path companion = folder_.path() / "Companion.exe";
    settings_.pairProduct = WideString(toU16(companion));

    saveJrePath(settings_, contextOf(settings_), WideString(u"C:\\service jre"));

    EXPECT_EQ(jrePathIn(main.path()), u"C:\\service jre");
    EXPECT_EQ(
        IniFileStore(WideString(toU16(main.path()))).getValue(u"Application", u"Application Type"),
        u"service");
    EXPECT_NE(readFile(main.path()).find("; kept"), std::string::npos);
    EXPECT_EQ(jrePathIn(folder_.path() / "Companion.ini"), u"C:\\service jre");
    EXPECT_FALSE(fs::exists(folder_.path() / "appdata" / "AB Tool"));
}

TEST_F(JrePath, ServiceSaveWithoutCompanionWritesOnlyTheMainFile) {
    OwnIniFile main("[Application]\r\nApplication Type=service\r\n");
    settings_.serviceMode = true;
    saveJrePath(settings_, contextOf(settings_), WideString(u"C:\\jre"));
    EXPECT_EQ(jrePathIn(main.path()), u"C:\\jre");
    EXPECT_TRUE(fs::is_empty(folder_.path() / "appdata"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 1);
}

} // namespace
} // namespace launcher
