// Hardened paths end to end: a relative "JRE Path" beside the
// launcher, values from "+" sections taken whole, a JVM library that is no plain,
// whole file, the Linux per-user folder, jar names that are not UTF-8; on real
// JVMs and on the test JVM.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

class Hardening : public ::testing::TestWithParam<Configuration> {
  protected:
    Hardening() : folder(GetParam()) {}

    // An INI file for testapp.PrintArgs on the runtime at `home`.
    void writeIni(const std::string& home) const {
        folder.writeIni({.jre = "JRE Path=" + home + "\nMain Class=testapp.PrintArgs",
                         .classPath = folder.applicationClassPath()});
    }

    // A runtime at `where`/jre: the test JVM moved there, or a link to the real JDK.
    void placeRuntime(const fs::path& where) const {
        if (GetParam().realJvm()) {
            fs::create_directory_symlink(GetParam().jdkHome, where / "jre");
            return;
        }
        folder.installRuntime();
        if (where != folder.path()) {
            fs::rename(folder.path() / "jre", where / "jre");
        }
    }

    std::string libraryPath(const std::string& home) const {
        return GetParam().target == Target::Windows ? home + "\\bin\\server\\jvm.dll"
                                                    : home + "/lib/server/libjvm.so";
    }

    LauncherFolder folder;
};

class HardeningAnywhere : public Hardening {};
class HardeningOnLinux : public Hardening {};
class HardeningOnWindows : public Hardening {};
class HardeningOnRealLinuxJvm : public Hardening {};

INSTANTIATE_TEST_SUITE_P(All, HardeningAnywhere, ::testing::ValuesIn(allConfigurations()), nameOf);
INSTANTIATE_TEST_SUITE_P(Linux, HardeningOnLinux,
                         ::testing::ValuesIn(onTarget(allConfigurations(), Target::Linux)), nameOf);
INSTANTIATE_TEST_SUITE_P(Windows, HardeningOnWindows,
                         ::testing::ValuesIn(onTarget(allConfigurations(), Target::Windows)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(HardeningOnWindows);
INSTANTIATE_TEST_SUITE_P(RealJvm, HardeningOnRealLinuxJvm,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Linux)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(HardeningOnRealLinuxJvm);

// "JRE Path=jre" names the runtime beside the launcher, from wherever the
// launcher is started; a runtime in the current directory is never taken.
TEST_P(HardeningAnywhere, ARelativeJrePathLiesBesideTheLauncher) {
    for (const std::string jrePath :
         {"jre", GetParam().target == Target::Windows ? ".\\jre" : "./jre", "\\jre"}) {
        testing::TestFolder elsewhere;
        folder.setWorkingFolder(elsewhere.path());
        std::error_code ignored;
        fs::remove_all(folder.path() / "jre", ignored);
        placeRuntime(folder.path());
        writeIni(jrePath);
        RunResult result = folder.run({"from elsewhere"});
        EXPECT_EQ(result.exitCode, 0u) << jrePath << ": " << result.output << result.errors;
        EXPECT_NE(result.output.find("arg[0]=from elsewhere"), std::string::npos)
            << jrePath << ": " << result.output;
    }
}

TEST_P(HardeningAnywhere, ARuntimeInTheCurrentDirectoryIsNotTaken) {
    testing::TestFolder elsewhere;
    placeRuntime(elsewhere.path());
    folder.setWorkingFolder(elsewhere.path());
    writeIni("jre");
    // The machine's own runtimes would be found next: search an empty folder instead.
    testing::TestFolder noRuntimes;
    RunResult result =
        folder.run({"planted"}, {{"LAUNCHER_RUNTIME_FOLDERS", noRuntimes.path().string()}});
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1)) << result.output << result.errors;
    EXPECT_EQ(result.output.rfind("Error: The Java Runtime Environment (JRE) was not found.", 0),
              0u)
        << result.output;
    EXPECT_EQ(result.output.find("arg[0]=planted"), std::string::npos) << result.output;
    EXPECT_TRUE(folder.record().empty());
}

// With nothing before it, a "+" value is taken whole: a main class, a
// runtime folder and a class path entry from "+" sections all work.
TEST_P(HardeningAnywhere, ValuesFromPlusSectionsArriveWhole) {
    std::string home = folder.installRuntime();
    folder.writeIni("[Java Runtime Environment]\nMain Class=\n"
                    "[Java Runtime Environment+]\nJRE Path=" +
                    home +
                    "\nMain Class=testapp.PrintArgs\n"
                    "[Class Path+]\nClass Path=" +
                    folder.applicationClassPath() + "\n");
    RunResult result = folder.run({"plus"});
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_NE(result.output.find("arg[0]=plus"), std::string::npos) << result.output;
}

// A JVM library that is no plain, whole file is refused with message 222
// and -1 before the loader sees it: a FIFO used to hang the launcher for ever, a
// library cut short to end it with SIGBUS inside dlopen.
TEST_P(HardeningOnLinux, AJvmLibraryThatIsNoWholeFileIsRefused) {
    std::string realLibrary =
        GetParam().realJvm() ? GetParam().jdkHome + "/lib/server/libjvm.so" : "";
    if (!GetParam().realJvm()) {
        realLibrary = libraryPath(folder.installRuntime());
    }
    std::string whole = readFile(realLibrary);
    ASSERT_GT(whole.size(), 4096u);

    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
    } cases[] = {
        {"fifo",
         [](const fs::path& at) {
             ASSERT_EQ(mkfifo(at.c_str(), 0600), 0);
         }},
        // Cut inside the loaded part: what follows it (debug sections) is never mapped,
        // so a library cut only there still loads, as it should.
        {"cut to 8 KB",
         [&](const fs::path& at) {
             std::ofstream(at, std::ios::binary) << whole.substr(0, 8192);
         }},
        {"cut to 64 KB",
         [&](const fs::path& at) {
             std::ofstream(at, std::ios::binary) << whole.substr(0, 65536);
         }},
    };
    for (const Case& c : cases) {
        fs::path home = folder.path() / (std::string("bad-") + c.name);
        fs::create_directories(home / "lib" / "server");
        c.make(home / "lib" / "server" / "libjvm.so");
        writeIni(home.string());
        RunResult result = folder.run();
        EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1)) << c.name << ": " << result.errors;
        EXPECT_EQ(result.output,
                  folder.errorLine("Failed to load Java VM library: " +
                                   (home / "lib/server/libjvm.so").string() + " (errno = 8).\n"))
            << c.name;
    }
}

// On Windows: a jvm.dll cut short is refused the same way (193,
// ERROR_BAD_EXE_FORMAT), before LoadLibrary maps sections beyond its end.
TEST_P(HardeningOnWindows, AJvmDllCutShortIsRefused) {
    if (GetParam().realJvm()) {
        GTEST_SKIP() << "cuts the runtime's own jvm.dll: a real runtime is shared by every test, "
                        "so only the test JVM's copy is cut";
    }
    std::string home = folder.installRuntime();
    fs::path dll = folder.path() / "jre" / "bin" / "server" / "jvm.dll";
    std::string whole = readFile(dll);
    ASSERT_GT(whole.size(), 4096u);
    std::ofstream(dll, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() / 2);
    writeIni(home);
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1)) << result.errors;
    // The line itself, without its ending: how the message's own line break
    // reaches a file on Windows is the error channel's matter.
    const std::string line =
        "Error: Failed to load Java VM library: " + libraryPath(home) + " (errno = 193).";
    EXPECT_EQ(result.output.rfind(line, 0), 0u) << result.output;
    EXPECT_TRUE(folder.record().empty());
}

// Without an absolute XDG_CONFIG_HOME or HOME there is no per-user file:
// nothing is read from or made below the root or the current directory.
TEST_P(HardeningOnLinux, NoPerUserFolderWithoutAnAbsoluteConfigurationHome) {
    testing::TestFolder elsewhere;
    folder.setWorkingFolder(elsewhere.path());
    // A per-user file where a relative XDG_CONFIG_HOME would lead: it must not answer.
    fs::create_directories(elsewhere.path() / "cfg" / "Probe" / "C1");
    std::ofstream(elsewhere.path() / "cfg" / "Probe" / "C1" / "launcher.ini")
        << "[Java Runtime Environment]\r\nJRE Path=/nonexistent\r\n";
    std::string home = folder.installRuntime();
    folder.writeIni("[Product Information]\nProduct Name=Probe\nProduct Code=C1\n"
                    "[Java Runtime Environment]\nJRE Path=" +
                    home + "\nMain Class=testapp.PrintArgs\n[Class Path]\nClass Path=" +
                    folder.applicationClassPath() + "\n");
    RunResult result = folder.run({"ok"}, {{"XDG_CONFIG_HOME", "cfg"}, {"HOME", ""}});
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_NE(result.output.find("arg[0]=ok"), std::string::npos) << result.output;
}

// A locale whose encoding gives every byte a character (ISO-8859-1), made once
// with localedef. The VM decodes the class path with the locale's encoding: in a
// UTF-8 locale no JVM opens a file whose name is not UTF-8 (the JDK's own java
// command cannot either), so the case is shown in this one.
const fs::path& latin1Locales() {
    static testing::TestFolder locales;
    static bool made = testing::runProcess({"localedef", "-i", "en_US", "-f", "ISO-8859-1",
                                            (locales.path() / "en_US.ISO-8859-1").string()})
                           .exitCode == 0;
    if (!made) {
        throw std::runtime_error(
            "localedef could not make en_US.ISO-8859-1 (scripts/setup installs locales)");
    }
    return locales.path();
}

// A jar whose name is not valid UTF-8, found by a wildcard, reaches the
// VM under its own name and its main class runs; it used to become U+FFFD and
// drop off the class path. (The test JVM reads options as UTF-8, as a real VM
// does in a UTF-8 locale, so it cannot tell the two apart: real JVMs only.)
TEST_P(HardeningOnRealLinuxJvm, AJarNamedInNoUtf8IsOnTheClassPath) {
    fs::path lib = folder.path() / "lib";
    fs::create_directories(lib);
    // Made under a name of ASCII, then renamed: the jar tool would read a name
    // that is not UTF-8 with a replacement character in it.
    std::vector<std::string> command = {GetParam().jdkHome + "/bin/jar", "cf",
                                        (lib / "made.jar").string(),     "-C",
                                        folder.testApplicationClasses(), "testapp"};
    testing::ProcessResult packed = testing::runProcess(command);
    ASSERT_EQ(packed.exitCode, 0) << testing::commandLine(command) << "\n" << packed.output;
    fs::rename(lib / "made.jar", lib / "app\xFF.jar");
    folder.writeIni("[Java Runtime Environment]\nJRE Path=" + folder.installRuntime() +
                    "\nMain Class=testapp.PrintArgs\n[Class Path]\nClass Path=\\lib\\*.jar\n");
    RunResult result = folder.run(
        {"found"}, {{"LOCPATH", latin1Locales().string()}, {"LC_ALL", "en_US.ISO-8859-1"}});
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(result.output, "args.count=1\narg[0]=found\n") << result.errors;
}

} // namespace
} // namespace launcher::e2e
