// The start-up cache on real JVMs: made by the first runs, used by the later
// ones, made anew for a changed jar, and never a different start where it
// cannot be had (an old runtime, no base archive, an unwritable folder, the
// user's own cache options).
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

class StartupCache : public ::testing::TestWithParam<Configuration> {
  protected:
    StartupCache() : folder(GetParam()) {
        fs::create_directories(folder.path() / "lib");
        packJar();
        if (windows()) {
            perUser =
                testing::wineUserFolder(winePrefix()) / "AppData" / "Roaming" / product / "C1";
        } else {
            perUser = folder.path() / "config" / product / "C1";
        }
        fs::remove_all(perUser.parent_path());
        fs::create_directories(perUser.parent_path().parent_path()); // as ~/.config is
    }
    ~StartupCache() override { fs::remove_all(perUser.parent_path()); }

    bool windows() const { return GetParam().target == Target::Windows; }
    int feature() const { return featureOf(GetParam().jdkHome); }
    // The runtimes whose class cache the launcher can keep: 13 and later with a
    // base archive beside the JVM library, or 25 and later with a java program.
    bool cacheable() const {
        fs::path home(GetParam().jdkHome);
        bool baseArchive =
            fs::exists(home / (windows() ? "bin" : "lib") / "server" / "classes.jsa");
        bool javaProgram = fs::exists(home / "bin" / (windows() ? "java.exe" : "java"));
        return (feature() >= 13 && baseArchive) || (feature() >= 25 && javaProgram);
    }

    void packJar(const std::vector<std::string>& extra = {}) const {
        std::vector<std::string> command = {LAUNCHER_JAR_TOOL,
                                            "cf",
                                            (folder.path() / "lib" / "app.jar").string(),
                                            "-C",
                                            folder.testApplicationClasses(),
                                            "testapp"};
        command.insert(command.end(), extra.begin(), extra.end());
        testing::ProcessResult packed = testing::runProcess(command);
        ASSERT_EQ(packed.exitCode, 0) << testing::commandLine(command) << "\n" << packed.output;
    }

    void configure(const std::string& cache, const std::string& vmParameters = "") const {
        std::string home = windows() ? windowsPathOf(GetParam().jdkHome) : GetParam().jdkHome;
        folder.writeIni({.product = "Product Name=" + product + "\nProduct Code=C1",
                         .jre = "JRE Path=" + home +
                                "\nMain Class=testapp.PrintArgs\nVirtual Machine Parameters=" +
                                vmParameters + "\n" + cache,
                         .classPath = "\\lib\\*.jar"});
    }

    // Each run appends its decision trace, which a failing check shows.
    RunResult run() const {
        std::map<std::string, std::string> environment;
        fs::path trace = folder.path() / "trace.log";
        environment["LAUNCHER_TRACE"] = windows() ? windowsPathOf(trace) : trace.string();
        if (!windows()) {
            environment["XDG_CONFIG_HOME"] = (folder.path() / "config").string();
        }
        RunResult result = folder.run({"one", "two"}, environment);
        result.errors = withoutWineAffinityWarnings(result.errors);
        return result;
    }

    // Where the VM says it took the main class from, through a log the run asks for.
    std::string mainClassSource() const {
        std::ifstream log(folder.path() / "classes.log");
        std::string line;
        while (std::getline(log, line)) {
            size_t at = line.find("testapp.PrintArgs source: ");
            if (at != std::string::npos) {
                return line.substr(at + 26);
            }
        }
        return "";
    }

    std::string trace() const {
        return "trace of the runs:\n" + readFile(folder.path() / "trace.log");
    }

    std::vector<std::string> cacheFiles() const {
        std::vector<std::string> names;
        if (fs::exists(perUser)) {
            for (const auto& entry : fs::directory_iterator(perUser)) {
                if (entry.path().filename().string().find("-startup-") != std::string::npos) {
                    names.push_back(entry.path().filename().string());
                }
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::string product = "StartupCacheProbe";
    LauncherFolder folder;
    fs::path perUser;
};

INSTANTIATE_TEST_SUITE_P(RealJvm, StartupCache, ::testing::ValuesIn(realJvmConfigurations()),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(StartupCache);

// What the application prints and how it ends never change; the later starts
// take the main class from the cache where the runtime has one.
TEST_P(StartupCache, FirstRunsMakeTheCacheLaterRunsMapIt) {
    configure("", "-Xlog:class+load:file=classes.log");
    RunResult plain = run();
    ASSERT_EQ(plain.exitCode, 0u) << plain.output << plain.errors;
    EXPECT_EQ(mainClassSource().find("shared objects file"), std::string::npos);

    configure("Startup Cache=Yes", "-Xlog:class+load:file=classes.log");
    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        RunResult cached = run();
        EXPECT_EQ(cached.exitCode, 0u);
        EXPECT_EQ(cached.output, plain.output);
        EXPECT_EQ(cached.errors, plain.errors);
        bool mapped = mainClassSource().find("shared objects file") != std::string::npos;
        // A dynamic archive is written by the first start and used by the second;
        // an ahead-of-time cache is recorded by the first and assembled by the second.
        EXPECT_EQ(mapped, cacheable() && start >= 2) << mainClassSource();
        std::vector<std::string> files = cacheFiles();
        if (!cacheable()) {
            EXPECT_TRUE(files.empty()) << files.front();
            continue;
        }
        ASSERT_EQ(files.size(), 1u) << ::testing::PrintToString(files);
        std::string kind = feature() >= 25 ? (start == 1 ? ".aotconf" : ".aot") : ".jsa";
        EXPECT_TRUE(files[0].ends_with(kind)) << files[0];
    }
}

// A jar that changed makes a cache of its own and the old one goes.
TEST_P(StartupCache, AChangedJarMakesANewCacheAndTheOldOneGoes) {
    if (!cacheable()) {
        GTEST_SKIP() << "this runtime keeps no class cache";
    }
    configure("Startup Cache=Yes");
    RunResult first = run();
    ASSERT_EQ(first.exitCode, 0u) << first.output << first.errors << trace();
    std::vector<std::string> before = cacheFiles();
    ASSERT_EQ(before.size(), 1u) << ::testing::PrintToString(before) << trace();
    packJar({"-C", (folder.path() / "lib").string(), "."}); // other content, other size
    RunResult result = run();
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors << trace();
    std::vector<std::string> after = cacheFiles();
    ASSERT_EQ(after.size(), 1u) << ::testing::PrintToString(after) << trace();
    EXPECT_NE(after[0].substr(0, after[0].find('.')), before[0].substr(0, before[0].find('.')))
        << trace();
}

// Where no cache can be had the start is exactly a start without the setting:
// a folder that cannot be made, and the user's own choice of a class cache.
TEST_P(StartupCache, WithoutAPlaceOrWithTheUsersOwnCacheNothingChanges) {
    configure("");
    RunResult plain = run();
    ASSERT_EQ(plain.exitCode, 0u);

    fs::create_directories(perUser.parent_path().parent_path());
    std::ofstream(perUser.parent_path()) << "a file where the product folder would be";
    configure("Startup Cache=Yes");
    RunResult blocked = run();
    EXPECT_EQ(blocked.exitCode, 0u);
    EXPECT_EQ(blocked.output, plain.output);
    EXPECT_EQ(blocked.errors, plain.errors);
    fs::remove(perUser.parent_path());

    configure("Startup Cache=Yes", "-Xshare:auto");
    RunResult own = run();
    EXPECT_EQ(own.exitCode, 0u);
    EXPECT_EQ(own.output, plain.output);
    EXPECT_TRUE(cacheFiles().empty()) << cacheFiles().front();
}

} // namespace
} // namespace launcher::e2e
