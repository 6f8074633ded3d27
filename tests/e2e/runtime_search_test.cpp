// The launcher finding its runtime without "JRE Path": the private runtime, the
// registry under Wine (both views, the roots of JDK 8 and the keys of current
// installers), the Linux runtime folders, and the environment published for it.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

// A launcher folder whose INI names no runtime: the launcher has to find one.
class Search : public ::testing::TestWithParam<Configuration> {
  protected:
    Search() : folder(GetParam()) {}

    bool windows() const { return GetParam().target == Target::Windows; }

    // The INI file; the VM is told the home the launcher published.
    void configure(const std::string& jreExtra, const std::string& applicationExtra = "",
                   std::string mainClass = "") {
        if (mainClass.empty()) {
            mainClass = GetParam().realJvm() ? "testapp.Properties" : "testapp.PrintArgs";
        }
        folder.writeIni({.jre = "Main Class=" + mainClass +
                                "\nVirtual Machine Parameters=-Dzen.home=%ZEN_JVM_HOME%\n" +
                                jreExtra,
                         .classPath = folder.applicationClassPath(),
                         .application = applicationExtra});
    }

    // The test JVM laid out at a folder below the launcher's, as a runtime home.
    std::string installTestJvmAt(const std::string& relative, bool marked = false) const {
        fs::path home = folder.path() / relative;
        fs::path library =
            windows() ? home / "bin" / "server" / "jvm.dll" : home / "lib" / "server" / "libjvm.so";
        fs::create_directories(library.parent_path());
        fs::copy_file(windows() ? windowsBuild() / "testjvm" / "default" / "jvm.dll"
                                : fs::path(LAUNCHER_LINUX_TESTJVM_DIR) / "default" / "libjvm.so",
                      library);
        if (marked) {
            std::ofstream(windows() ? home / "bin" / "java.dll" : home / "lib" / "libjava.so");
        }
        return folder.launcherPath(relative);
    }

    // ZEN_JVM_HOME as the VM saw it; empty when the VM did not run.
    std::string chosenHome(const RunResult& result) const {
        const std::string key = "zen.home=";
        if (GetParam().realJvm()) {
            size_t at = result.output.find("property." + key);
            if (at == std::string::npos) {
                return "";
            }
            size_t start = at + key.size() + 9;
            return result.output.substr(start, result.output.find_first_of("\r\n", start) - start);
        }
        for (const std::string& option : folder.recorded("option")) {
            if (option.rfind("-D" + key, 0) == 0) {
                return option.substr(key.size() + 2);
            }
        }
        return "";
    }

    RunResult run(const std::map<std::string, std::string>& environment = {}) const {
        return folder.run({"zen.home"}, environment);
    }

    std::string notFound(const std::string& requirement) const {
        return folder.errorLine("The Java Runtime Environment (JRE) was not found. Please  "
                                "download and install a JRE (" +
                                requirement + ") from:");
    }

    LauncherFolder folder;
};

class SearchOnTestJvm : public Search {};
INSTANTIATE_TEST_SUITE_P(TestJvm, SearchOnTestJvm, ::testing::ValuesIn(testJvmConfigurations()),
                         nameOf);

TEST_P(SearchOnTestJvm, APrivateRuntimeBesideTheLauncherIsUsed) {
    std::string home = installTestJvmAt("jre64", true);
    configure("Minimum Version=99");
    RunResult result = run();
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(chosenHome(result), home);
}

TEST_P(SearchOnTestJvm, ALibraryPathOptionComesFirstAndPathEndsWithTheRuntime) {
    std::string home = folder.installRuntime();
    configure("JRE Path=" + home + "\nLibrary Path=native");
    RunResult result = run();
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    std::vector<std::string> options = folder.recorded("option");
    ASSERT_FALSE(options.empty());
    char separator = windows() ? ';' : ':';
    std::string launcherFolder = folder.launcherPath("");
    EXPECT_EQ(options.front().rfind("-Djava.library.path=native" + std::string(1, separator) +
                                        launcherFolder + separator + "." + separator,
                                    0),
              0u)
        << options.front();
    std::string lib = std::string(1, separator) + home + (windows() ? "\\lib" : "/lib");
    EXPECT_TRUE(options.front().ends_with(lib)) << options.front();
}

// The Linux stand-in for the registry, pointed at runtimes of the test.
class LinuxFolders : public Search {
  protected:
    void SetUp() override {
        jdk11 = installTestJvmAt("runtimes/jdk-11");
        jre17 = installTestJvmAt("runtimes/jre-17");
        std::ofstream(folder.path() / "runtimes/jdk-11/release") << "JAVA_VERSION=\"11.0.2\"\n";
        std::ofstream(folder.path() / "runtimes/jre-17/release") << "JAVA_VERSION=\"17.0.1\"\n";
        fs::create_directories(folder.path() / "runtimes/jdk-11/bin");
        std::ofstream(folder.path() / "runtimes/jdk-11/bin/javac");
        fs::create_directories(folder.path() / "runtimes/no-release/lib/server");
    }
    RunResult runHere() const {
        return run({{"LAUNCHER_RUNTIME_FOLDERS", (folder.path() / "runtimes").string()}});
    }
    std::string jdk11, jre17;
};
INSTANTIATE_TEST_SUITE_P(Linux, LinuxFolders,
                         ::testing::ValuesIn(onTarget(testJvmConfigurations(), Target::Linux)),
                         nameOf);

TEST_P(LinuxFolders, BoundsSourcesAndPreferencesChooseAmongTheFolders) {
    struct {
        std::string jre;
        const std::string* home;
    } rows[] = {
        {"", &jre17},
        {"Maximum Version=11", &jdk11},
        {"Preferred versions=11", &jdk11},
        {"JVM Source=only_JDK", &jdk11},
        {"JVM Source=favor_JRE", &jre17},
        {"Minimum Version=11.0.3\nMaximum Version=17", &jre17},
    };
    for (const auto& row : rows) {
        configure(row.jre);
        RunResult result = runHere();
        EXPECT_EQ(result.exitCode, 0u) << row.jre << result.output;
        EXPECT_EQ(chosenHome(result), *row.home) << row.jre;
    }
    configure("Minimum Version=18");
    RunResult result = runHere();
    EXPECT_EQ(result.output, notFound("minimum version 18.0"));
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
}

// The machine's own JDKs, each found by asking for exactly its version.
class LinuxMachine : public Search {};
INSTANTIATE_TEST_SUITE_P(RealJvm, LinuxMachine,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Linux)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LinuxMachine);

TEST_P(LinuxMachine, EachInstalledJdkIsFoundByItsVersion) {
    std::ifstream release(fs::path(GetParam().jdkHome) / "release");
    std::string line, version;
    while (std::getline(release, line)) {
        if (line.rfind("JAVA_VERSION=", 0) == 0) {
            version = line.substr(14, line.size() - 15);
        }
    }
    ASSERT_FALSE(version.empty());
    configure("Minimum Version=" + version + "\nMaximum Version=" + version);
    RunResult result = run();
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(fs::canonical(chosenHome(result)), fs::path(GetParam().jdkHome));
}

struct RegistryRow {
    const char* name;
    std::string key; // the home goes into `value` of this key
    std::string value;
    bool bits32 = false;
    std::string jre = "";         // more lines of "Java Runtime Environment"
    std::string application = ""; // lines of "Application"
    bool found = true;
    std::string type = "REG_SZ";
};

const std::string kJre8 = "HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8.0_152";

const RegistryRow kRegistryRows[] = {
    {"JavaSoftJre", kJre8, "JavaHome"},
    {"JavaSoftJreBelowTheMinimum", kJre8, "JavaHome", false, "Minimum Version=1.8.0_153", "",
     false},
    {"ThirtyTwoBitWithoutCompanion", kJre8, "JavaHome", true, "", "", false},
    {"JavaHomeAsNumber", kJre8, "JavaHome", false, "", "", false, "REG_DWORD"},
    // The classic roots read any type as text up to its first NUL, within the data.
    {"ClassicJavaHomeOfAnyType", kJre8, "JavaHome", false, "", "", true, "REG_MULTI_SZ"},
    {"ClassicJavaHomeUnterminated", kJre8, "JavaHome", false, "", "", true, "REG_BINARY"},
    {"CurrentJavaHomeMustBeAString", "HKLM\\SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", false, "", "",
     false, "REG_MULTI_SZ"},
    {"EmptyJavaHome", "HKLM\\SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", false, "", "", false,
     "REG_SZ"},
    {"JavaSoftJdk9", "HKLM\\SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome"},
    {"JavaSoftJre9", "HKLM\\SOFTWARE\\JavaSoft\\JRE\\17", "JavaHome"},
    {"AdoptiumJdk", "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", "Path"},
    {"AdoptiumJreOfTheUser", "HKCU\\SOFTWARE\\Eclipse Adoptium\\JRE\\17.0.9.9\\hotspot\\MSI",
     "Path"},
    {"AdoptiumJavaHomeIsNoPath", "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI",
     "JavaHome", false, "", "", false},
    {"EclipseFoundationOpenJ9NeedsIbm",
     "HKLM\\SOFTWARE\\Eclipse Foundation\\JDK\\11.0.2\\openj9\\MSI", "Path", false, "", "", false},
    {"EclipseFoundationOpenJ9", "HKLM\\SOFTWARE\\Eclipse Foundation\\JDK\\11.0.2\\openj9\\MSI",
     "Path", false, "VM Provider=ibm"},
    {"AdoptOpenJdkDragonwell", "HKLM\\SOFTWARE\\AdoptOpenJDK\\JRE\\8.0.1\\dragonwell\\MSI", "Path"},
    {"MicrosoftJdk", "HKLM\\SOFTWARE\\Microsoft\\JDK\\17.0.9.8\\hotspot\\MSI", "Path"},
    {"SemeruJre", "HKLM\\SOFTWARE\\Semeru\\JRE\\17.0.8\\openj9\\MSI", "Path", false,
     "VM Provider=favor_ibm"},
    {"ZuluJdk", "HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath"},
    {"ZuluJreOnlyJdk", "HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-17-jre", "InstallationPath", false,
     "JVM Source=only_JDK", "", false},
    {"Zulu32BitWithCompanion", "HKLM\\SOFTWARE\\Azul Systems\\Zulu 32-bit\\zulu-11",
     "InstallationPath", true, "", "Pair Product=Z:\\no\\such\\launcher32.exe"},
    {"LibericaJre", "HKLM\\SOFTWARE\\BellSoft\\Liberica\\jre-21", "InstallationPath", false,
     "JVM Source=only_JRE"},
    {"AdoptiumBelowTheMinimum", "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI",
     "Path", false, "Minimum Version=22", "", false},
};

// The UTF-16 bytes of an ASCII text, as reg.exe takes binary data: no NUL at the end.
std::string utf16Hex(const std::string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex += {kDigits[c >> 4], kDigits[c & 0xF], '0', '0'};
    }
    return hex;
}

class RegistryOnTestJvm : public Search {};
INSTANTIATE_TEST_SUITE_P(Windows, RegistryOnTestJvm,
                         ::testing::ValuesIn(onTarget(testJvmConfigurations(), Target::Windows)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RegistryOnTestJvm);

TEST_P(RegistryOnTestJvm, EachRegistrationIsFoundUnderItsRules) {
    std::string home = folder.installRuntime();
    for (const RegistryRow& row : kRegistryRows) {
        SCOPED_TRACE(row.name);
        std::string data = row.type == "REG_DWORD"                    ? "1"
                           : row.type == "REG_BINARY"                 ? utf16Hex(home)
                           : row.name == std::string("EmptyJavaHome") ? ""
                                                                      : home;
        WineRegistration registration(row.key, row.value, row.type, data, row.bits32);
        ASSERT_TRUE(registration.added());
        // With IBM runtimes admitted main never leaves the VM: only System.exit
        // (3 from this class) ends the launch.
        bool ibm = row.jre.find("ibm") != std::string::npos;
        configure(row.jre, row.application, ibm ? "testapp.Exit" : "");
        RunResult result = run();
        if (!row.found) {
            EXPECT_EQ(result.output.rfind(folder
                                              .errorLine("The Java Runtime Environment (JRE) "
                                                         "was not found.")
                                              .substr(0, 50),
                                          0),
                      0u)
                << result.output;
            EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
        } else if (row.bits32) {
            // A runtime of the 32-bit view is handed to the companion program.
            EXPECT_NE(result.output.find("launcher32.exe"), std::string::npos) << result.output;
        } else {
            EXPECT_EQ(result.exitCode, ibm ? 3u : 0u) << result.output;
            EXPECT_EQ(chosenHome(result), home) << result.output;
        }
    }
}

// Real Windows runtimes registered the way JDK 8 installers did and the way
// current ones do, found without "JRE Path".
class RegistryOnRealJvm : public Search {};
INSTANTIATE_TEST_SUITE_P(Windows, RegistryOnRealJvm,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Windows)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RegistryOnRealJvm);

TEST_P(RegistryOnRealJvm, TheRuntimeIsFoundThroughEitherKindOfKey) {
    std::string home = windowsPathOf(GetParam().jdkHome);
    for (const char* key : {"HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8.0_999",
                            "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\9.0.0\\hotspot\\MSI"}) {
        SCOPED_TRACE(key);
        bool adoptium = std::string(key).find("Adoptium") != std::string::npos;
        WineRegistration registration(key, adoptium ? "Path" : "JavaHome", "REG_SZ", home, false);
        ASSERT_TRUE(registration.added());
        configure("");
        RunResult result = run();
        EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
        EXPECT_EQ(chosenHome(result), home) << result.output;
    }
}

} // namespace
} // namespace launcher::e2e
