// The start-up cache on real JVMs: made by the first runs, used by the later
// ones, made anew for a changed jar, and never a different start where it
// cannot be had (an old runtime, no base archive, an unwritable folder, the
// user's own cache options, and every configuration a VM cannot cache).
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
    StartupCache() : folder(GetParam(), "MyApp") {
        fs::create_directories(folder.path() / "lib");
        packJar();
        if (windows()) {
            perUser = testing::wineUserFolder(winePrefix()) / "AppData" / "Local" / product / "C1";
        } else {
            perUser = folder.path() / "cache" / product / "C1";
        }
        fs::remove_all(perUser.parent_path());
        // On Linux the cache folder is not there yet, as for a new account.
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

    void configure(const std::string& cache, const std::string& vmParameters = "",
                   const std::string& classPath = "\\lib\\*.jar",
                   const std::string& more = "") const {
        std::string home = windows() ? windowsPathOf(GetParam().jdkHome) : GetParam().jdkHome;
        folder.writeIni({.product = "Product Name=" + product + "\nProduct Code=C1",
                         .jre = "JRE Path=" + home +
                                "\nMain Class=testapp.PrintArgs\nVirtual Machine Parameters=" +
                                vmParameters + "\n" + more + "\n" + cache,
                         .classPath = classPath});
    }

    // Each run appends its decision trace, which a failing check shows.
    RunResult run(std::map<std::string, std::string> environment = {}) const {
        fs::path trace = folder.path() / "trace.log";
        environment["LAUNCHER_TRACE"] = windows() ? windowsPathOf(trace) : trace.string();
        if (!windows()) {
            environment["XDG_CONFIG_HOME"] = (folder.path() / "config").string();
            environment["XDG_CACHE_HOME"] = (folder.path() / "cache").string();
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
        // The VM's notice of a recording goes to standard error, the only
        // difference a start with the setting makes.
        bool recording = cacheable() && feature() >= 25 && start == 1;
        std::string notice = recording ? " AOTConfiguration recorded: " : "";
        EXPECT_EQ(recording ? cached.errors.substr(0, plain.errors.size() + notice.size())
                            : cached.errors,
                  plain.errors + notice);
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

// A configuration that broke starts with the cache, or a rule of where and how
// the cache is kept.
struct CacheRow {
    std::string name;
    std::string vmParameters{};
    std::string toolOptions{}; // JAVA_TOOL_OPTIONS, when not empty
    std::string classPath = "\\lib\\*.jar";
    bool obstacle = false;        // no cache can work: none is made
    bool windows = false;         // a rule that differs on Windows: run there too
    bool windowsOnly = false;     // one only Windows has
    bool otherSearchPath = false; // the second start inherits another search path
    bool sameSizeJar =
        false; // before the third start the jar is replaced by one of the same size and time
    int longNamedJars = 0; // jars added to the class path
    std::string more{};    // more lines of [Java Runtime Environment]
};

// The start with the setting ends and prints as the start without it, and,
// where a cache can work, the third start maps it.
TEST_P(StartupCache, EveryConfigurationStartsAsWithoutTheSetting) {
    const std::string agentJar = (folder.path() / "agent.jar").string();
    const std::vector<CacheRow> rows = {
        {.name = "plain", .windows = true},
        {.name = "debugger",
         .vmParameters = "-agentlib:jdwp=transport=dt_socket,server=y,suspend=n,"
                         "onthrow=java.lang.LinkageError,launch=/bin/true",
         .obstacle = true},
        {.name = "java agent",
         .vmParameters = "-javaagent:" + (windows() ? windowsPathOf(agentJar) : agentJar),
         .obstacle = true,
         .windows = true},
        {.name = "sharing off", .vmParameters = "-XX:-UseSharedSpaces", .obstacle = true},
        {.name = "limited modules", .vmParameters = "--limit-modules=java.base", .obstacle = true},
        {.name = "tool options", .toolOptions = "-XX:-UseSharedSpaces", .obstacle = true},
        {.name = "folder before jar", .classPath = "\\conf;\\lib\\*.jar", .obstacle = true},
        {.name = "same size jar", .sameSizeJar = true},
        {.name = "search path", .otherSearchPath = true, .more = "Library Path=\\native"},
        {.name = "program name case", .windows = true, .windowsOnly = true},
        {.name = "long class path", .windows = true, .longNamedJars = 300},
    };
    fs::path conf = folder.path() / "conf";
    fs::create_directories(conf);
    std::ofstream(conf / "app.properties") << "a=1\n";
    fs::create_directories(folder.path() / "native");
    std::ofstream(folder.path() / "agent.mf") << "Premain-Class: testapp.Agent\n";
    testing::ProcessResult packed = testing::runProcess(
        {LAUNCHER_JAR_TOOL, "cfm", agentJar, (folder.path() / "agent.mf").string(), "-C",
         folder.testApplicationClasses(), "testapp/Agent.class"});
    ASSERT_EQ(packed.exitCode, 0) << packed.output;
    const std::string log = " -Xlog:class+load:file=classes.log";
    for (const CacheRow& row : rows) {
        if ((windows() && (!row.windows || feature() < 21)) || (!windows() && row.windowsOnly)) {
            continue;
        }
        SCOPED_TRACE(row.name);
        std::vector<fs::path> added;
        for (int jar = 0; jar < row.longNamedJars; ++jar) {
            added.push_back(folder.path() / "lib" /
                            ("z-" + std::string(100, 'j') + "-" + std::to_string(jar) + ".jar"));
            fs::copy_file(folder.path() / "lib" / "app.jar", added.back());
        }
        std::map<std::string, std::string> environment;
        if (!row.toolOptions.empty()) {
            environment["JAVA_TOOL_OPTIONS"] = row.toolOptions;
        }
        configure("", row.vmParameters + log, row.classPath, row.more);
        RunResult plain = run(environment);
        fs::remove_all(perUser);
        configure("Startup Cache=Yes", row.vmParameters + log, row.classPath, row.more);
        for (int start = 1; start <= 3; ++start) {
            SCOPED_TRACE("start " + std::to_string(start));
            std::map<std::string, std::string> startEnvironment = environment;
            if (row.otherSearchPath) {
                startEnvironment["PATH"] =
                    std::string(start == 2 ? "/opt/b:" : "/opt/a:") + std::getenv("PATH");
            }
            if (row.sameSizeJar && start == 3) {
                fs::path jar = folder.path() / "lib" / "app.jar";
                fs::file_time_type time = fs::last_write_time(jar);
                fs::copy_file(jar, folder.path() / "copy.jar");
                fs::last_write_time(folder.path() / "copy.jar", time);
                fs::rename(folder.path() / "copy.jar", jar);
            }
            RunResult cached;
            if (row.windowsOnly && start == 2) {
                cached = folder
                             .startWindowsProgram(windowsPathOf(folder.path() / "myapp.exe"),
                                                  {"one", "two"})
                             .finish();
                cached.errors = withoutWineAffinityWarnings(cached.errors);
            } else {
                cached = run(startEnvironment);
            }
            EXPECT_EQ(cached.exitCode, plain.exitCode) << cached.errors << trace();
            EXPECT_EQ(cached.output, plain.output) << trace();
            if (row.obstacle || !cacheable()) {
                EXPECT_TRUE(cacheFiles().empty()) << cacheFiles().front();
            }
        }
        bool mapped = mainClassSource().find("shared objects file") != std::string::npos;
        bool expected = !row.obstacle && !row.sameSizeJar && cacheable();
        EXPECT_EQ(mapped, expected) << mainClassSource() << trace();
        for (const fs::path& jar : added) {
            fs::remove(jar);
        }
        fs::remove(folder.path() / "trace.log");
    }
}

} // namespace
} // namespace launcher::e2e
