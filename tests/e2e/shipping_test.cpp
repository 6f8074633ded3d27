// The steps of docs/SHIPPING.md, followed with the Linux launcher: the launcher
// copied as `myapp`, the guide's own INI files, the sample jar in lib/, and a
// private runtime that the guide's jdeps and jlink commands make in jre64/. The
// runtimes are linked once for the whole suite, with every JDK here that can link.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

std::string guideText() {
    return readFile(fs::path(LAUNCHER_SOURCE_DIR) / "docs" / "SHIPPING.md");
}

// The guide's ```ini block whose first line is "; myapp.ini, <which>"; empty
// when the guide has none.
std::string guideIni(const std::string& guide, const std::string& which) {
    const std::string opening = "```ini\n; myapp.ini, " + which + "\n";
    size_t start = guide.find(opening);
    if (start == std::string::npos) {
        return {};
    }
    start += std::string("```ini\n").size();
    size_t end = guide.find("\n```", start);
    return end == std::string::npos ? std::string() : guide.substr(start, end - start + 1);
}

// The JDKs below /usr/lib/jvm that have jlink and jdeps, each once.
std::vector<fs::path> jdksWithJlink() {
    std::set<fs::path> homes;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib/jvm", error)) {
        fs::path home = fs::canonical(entry.path(), error);
        if (!error && fs::exists(home / "bin" / "jlink") && fs::exists(home / "bin" / "jdeps")) {
            homes.insert(home);
        }
    }
    return {homes.begin(), homes.end()};
}

// One shipped application: the launcher as myapp, lib/myapp.jar and jre64/,
// linked here by one JDK, or copied from a runtime linked elsewhere.
struct ShippedApplication {
    fs::path jdk; // the JDK that linked jre64/, or the runtime copied there
    std::unique_ptr<LauncherFolder> folder;
    std::string modules;      // what jdeps printed; empty for a copied runtime
    std::string savedRuntime; // another runtime, as "JRE Path" gives it
};

// The runtimes could not be linked with these JDKs, and why.
struct LinkFailure {
    fs::path jdk;
    bool hasJmods;
    std::string printed;
};

class ShipYourApplication : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        for (const fs::path& jdk : jdksWithJlink()) {
            auto folder = std::make_unique<LauncherFolder>(
                Configuration{"Linux_" + jdk.filename().string(), Target::Linux, jdk.string()},
                "myapp");
            fs::create_directories(folder->path() / "lib");
            fs::copy_file(LAUNCHER_SAMPLE_JAR, folder->path() / "lib" / "myapp.jar");
            // Standard output and error together: what a failure shows.
            testing::ProcessResult jdeps = testing::runProcess(
                {(jdk / "bin" / "jdeps").string(), "--print-module-deps", "--ignore-missing-deps",
                 (folder->path() / "lib" / "myapp.jar").string()});
            std::string modules = jdeps.output;
            if (jdeps.exitCode != 0) {
                failures().push_back({jdk, fs::exists(jdk / "jmods"), "jdeps: " + modules});
                continue;
            }
            modules.erase(modules.find_last_not_of("\r\n") + 1);
            testing::ProcessResult jlink =
                testing::runProcess({(jdk / "bin" / "jlink").string(), "--add-modules", modules,
                                     "--strip-debug", "--no-man-pages", "--no-header-files",
                                     "--output", (folder->path() / "jre64").string()});
            if (jlink.exitCode != 0) {
                failures().push_back({jdk, fs::exists(jdk / "jmods"), jlink.output});
                continue;
            }
            applications().push_back({jdk, std::move(folder), modules, jdk.string()});
        }
        addWindowsApplication();
    }

    // Under Wine, when the Windows build is there: the Windows launcher with the
    // pinned runtime scripts/setup unpacks (made by jlink for Windows elsewhere;
    // no Windows JDK with jmods is at hand) copied to jre64\ as a user ships it.
    static void addWindowsApplication() {
        const fs::path runtimes(LAUNCHER_WINDOWS_RUNTIMES_DIR);
        const fs::path runtime = runtimes / "windows-jdk-25";
        const fs::path other = runtimes / "windows-jdk-21";
        if (!fs::exists(fs::path(LAUNCHER_WINDOWS_BUILD_DIR) / "launcher.exe") ||
            !fs::exists(runtime / "bin" / "java.dll") || !fs::exists(other / "bin" / "java.dll")) {
            return;
        }
        auto folder = std::make_unique<LauncherFolder>(
            Configuration{"Windows_jdk-25", Target::Windows, runtime.string()}, "myapp");
        fs::create_directories(folder->path() / "lib");
        fs::copy_file(LAUNCHER_SAMPLE_JAR, folder->path() / "lib" / "myapp.jar");
        fs::copy(runtime, folder->path() / "jre64", fs::copy_options::recursive);
        applications().push_back({runtime, std::move(folder), "", windowsPathOf(other)});
    }

    static void TearDownTestSuite() {
        applications().clear();
        failures().clear();
    }

    static std::vector<ShippedApplication>& applications() {
        static std::vector<ShippedApplication> all;
        return all;
    }

    static std::vector<LinkFailure>& failures() {
        static std::vector<LinkFailure> all;
        return all;
    }

    // A JDK with jmods must link; one without may lack a linkable run-time image.
    // Without a single runtime there is nothing to run, and the test says why.
    void SetUp() override {
        for (const LinkFailure& failure : failures()) {
            EXPECT_FALSE(failure.hasJmods)
                << failure.jdk
                << " has jmods, yet the guide's commands failed: " << failure.printed;
        }
        if (applications().empty()) {
            std::string reasons;
            for (const LinkFailure& failure : failures()) {
                reasons += " " + failure.jdk.string() + ": " + failure.printed;
            }
            GTEST_SKIP() << "no JDK below /usr/lib/jvm with jlink and either jmods or a "
                            "linkable run-time image;"
                         << (reasons.empty() ? " none with jlink at all" : reasons);
        }
    }

    // The lines the sample printed that begin with `label`, without the label.
    static std::vector<std::string> printed(const std::string& output, const std::string& label) {
        std::vector<std::string> values;
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.rfind(label, 0) == 0) {
                values.push_back(line.substr(label.size()));
            }
        }
        return values;
    }

    static std::string privateHome(const ShippedApplication& application) {
        fs::path home = fs::canonical(application.folder->path() / "jre64");
        return application.folder->configuration().target == Target::Windows ? windowsPathOf(home)
                                                                             : home.string();
    }

    // Where the launcher looks for myapp's per-user file of `product` ("Name/Code").
    static fs::path perUserFile(const ShippedApplication& application, const fs::path& settings,
                                const std::string& product) {
        if (application.folder->configuration().target == Target::Windows) {
            return testing::wineUserFolder(winePrefix()) / "AppData" / "Roaming" / product /
                   "myapp.ini";
        }
        return settings / product / "myapp.ini";
    }

    // Installed runtimes the search could also take: the private one has to win.
    static std::map<std::string, std::string> withInstalledRuntimes() {
        return {{"LAUNCHER_RUNTIME_FOLDERS", "/usr/lib/jvm"}};
    }
};

TEST_F(ShipYourApplication, TheGuideHasBothIniFiles) {
    std::string guide = guideText();
    EXPECT_NE(guideIni(guide, "minimal").find("Main Class="), std::string::npos);
    EXPECT_NE(guideIni(guide, "fuller").find("Main Class="), std::string::npos);
}

TEST_F(ShipYourApplication, JdepsAndJlinkMakeARuntimeTheLauncherTakesAsPrivate) {
    for (const ShippedApplication& application : applications()) {
        if (application.modules.empty()) {
            continue; // copied, not linked here
        }
        SCOPED_TRACE(application.jdk);
        EXPECT_EQ(application.modules, "java.base");
        fs::path runtime = application.folder->path() / "jre64";
        EXPECT_TRUE(fs::is_regular_file(runtime / "lib" / "libjava.so"));
        EXPECT_TRUE(fs::is_regular_file(runtime / "lib" / "server" / "libjvm.so"));
        EXPECT_FALSE(fs::exists(runtime / "jmods"));
    }
}

TEST_F(ShipYourApplication, TheMinimalIniRunsTheApplicationOnItsPrivateRuntime) {
    for (const ShippedApplication& application : applications()) {
        SCOPED_TRACE(application.jdk);
        LauncherFolder& folder = *application.folder;
        folder.writeIni(guideIni(guideText(), "minimal"));
        // Started from elsewhere: \lib\*.jar is looked for beside the executable.
        testing::TestFolder elsewhere;
        folder.setWorkingFolder(elsewhere.path());
        RunResult result = folder.run({"Ada"}, withInstalledRuntimes());
        folder.setWorkingFolder({});
        EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
        EXPECT_EQ(printed(result.output, "Hello, "), std::vector<std::string>{"Ada!"});
        EXPECT_EQ(printed(result.output, "Java home:   "),
                  std::vector<std::string>{privateHome(application)})
            << result.output;
        EXPECT_EQ(printed(result.output, "Class path:  "),
                  std::vector<std::string>{folder.launcherPath("lib/myapp.jar")});
    }
}

TEST_F(ShipYourApplication, TheFullerIniRunsTheApplicationWithItsSettings) {
    for (const ShippedApplication& application : applications()) {
        SCOPED_TRACE(application.jdk);
        LauncherFolder& folder = *application.folder;
        folder.writeIni(guideIni(guideText(), "fuller"));
        testing::TestFolder settings;
        std::map<std::string, std::string> environment = withInstalledRuntimes();
        environment["XDG_CONFIG_HOME"] = settings.path().string();
        RunResult result = folder.run({"a", "b"}, environment);
        EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
        EXPECT_EQ(printed(result.output, "Arguments:   "),
                  std::vector<std::string>{"[a, b, --from-ini]"});
        EXPECT_EQ(printed(result.output, "Title:       "), std::vector<std::string>{"My App 2.1"});
        EXPECT_EQ(printed(result.output, "Java home:   "),
                  std::vector<std::string>{privateHome(application)})
            << result.output;
        std::vector<std::string> heap = printed(result.output, "Max heap:    ");
        ASSERT_EQ(heap.size(), 1u) << result.output;
        EXPECT_LE(std::stoi(heap[0]), 1024) << heap[0];
        EXPECT_GE(std::stoi(heap[0]), 60) << heap[0];
    }
}

// The guide's warning: a "JRE Path" a user saved in the per-user file beats jre64/.
TEST_F(ShipYourApplication, ARuntimeTheUserSavedWinsOverThePrivateOne) {
    for (const ShippedApplication& application : applications()) {
        SCOPED_TRACE(application.jdk);
        LauncherFolder& folder = *application.folder;
        folder.writeIni(guideIni(guideText(), "fuller"));
        testing::TestFolder settings;
        fs::path perUser = perUserFile(application, settings.path(), "My App/2.1");
        fs::create_directories(perUser.parent_path());
        std::ofstream(perUser) << "[Java Runtime Environment]\r\nJRE Path="
                               << application.savedRuntime << "\r\n";
        RunResult result = folder.run({}, {{"XDG_CONFIG_HOME", settings.path().string()},
                                           {"LAUNCHER_RUNTIME_FOLDERS", folder.path().string()}});
        fs::remove(perUser);
        std::error_code notEmpty; // what others left there stays
        fs::remove(perUser.parent_path(), notEmpty);
        fs::remove(perUser.parent_path().parent_path(), notEmpty);
        EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
        EXPECT_EQ(printed(result.output, "Java home:   "),
                  std::vector<std::string>{application.savedRuntime})
            << result.output;
    }
}

} // namespace
} // namespace launcher::e2e
