// Applications and runtimes in folders whose names the code page cannot write,
// INI files in the encodings editors save, and a -D value the code page lacks:
// on real JVMs, the Windows launcher under Wine (code page 1252) and the Linux
// launcher in its locale and in the C locale.
#include "e2e/launcher_run.h"

#include "support/test_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

enum class ClassPathBy { Wildcard, AbsoluteEntry };
enum class RuntimeBy { JrePathOutside, JrePathInside, PrivateJre64, Registry };
enum class IniEncoding { Utf8, Utf8WithMark, Utf16 };

struct FolderRow {
    const char* name;
    const char* folder; // the application's folder
    ClassPathBy classPath;
    RuntimeBy runtime;
    IniEncoding encoding;
    const char* vmParameters;
    bool cLocale; // Linux: the launcher runs in the C locale
    // The error line's text, when the start must stop with one.
    std::optional<std::string> windowsError;
    std::optional<std::string> linuxError;
};

const FolderRow kRows[] = {
    {"CyrillicWildcardUtf8", "Приложение", ClassPathBy::Wildcard, RuntimeBy::JrePathOutside,
     IniEncoding::Utf8, "-Dapp.title=Привет", false, std::nullopt, std::nullopt},
    {"CjkEntryRuntimeInside", "应用程序", ClassPathBy::AbsoluteEntry, RuntimeBy::JrePathInside,
     IniEncoding::Utf8WithMark, "-Dapp.title=应用", false, std::nullopt, std::nullopt},
    {"CyrillicPrivateRuntimeUtf16", "Приложение", ClassPathBy::Wildcard, RuntimeBy::PrivateJre64,
     IniEncoding::Utf16, "-Dapp.title=Привет", false, std::nullopt, std::nullopt},
    {"CyrillicRuntimeByRegistry", "Приложение", ClassPathBy::Wildcard, RuntimeBy::Registry,
     IniEncoding::Utf8, "-Dapp.title=Привет", false, std::nullopt, std::nullopt},
    // Under the C locale the VM reads narrow text as ASCII, and Linux has no
    // short names: an application property is still set exactly...
    {"PropertyInTheCLocale", "app", ClassPathBy::Wildcard, RuntimeBy::JrePathOutside,
     IniEncoding::Utf8, "-Dapp.title=Привет", true, std::nullopt, std::nullopt},
    // ...while paths are refused there, the first option named: the library path,
    // which holds the launcher's folder.
    {"ClassPathInTheCLocale", "Приложение", ClassPathBy::Wildcard, RuntimeBy::JrePathOutside,
     IniEncoding::Utf8, "-Dapp.title=x", true, std::nullopt,
     "-Djava.library.path cannot be passed to the Java VM in the system code page.\n"},
    // A property the VM reads while it starts cannot wait for System.setProperty.
    {"StartupPropertyRefused", "app", ClassPathBy::Wildcard, RuntimeBy::JrePathOutside,
     IniEncoding::Utf8, "-Duser.home=Владимир", true,
     "-Duser.home cannot be passed to the Java VM in the system code page.\n",
     "-Duser.home cannot be passed to the Java VM in the system code page.\n"},
};

struct FolderCase {
    Configuration configuration;
    FolderRow row;
};

void PrintTo(const FolderCase& c, std::ostream* out) {
    *out << c.configuration.name << "_" << c.row.name;
}

std::vector<FolderCase> folderCases() {
    std::vector<FolderCase> cases;
    for (const Configuration& configuration : realJvmConfigurations()) {
        for (const FolderRow& row : kRows) {
            // The C locale is the Linux launcher's alone.
            if (!row.cLocale || configuration.target == Target::Linux || row.windowsError) {
                cases.push_back({configuration, row});
            }
        }
    }
    return cases;
}

class UnicodeFolders : public ::testing::TestWithParam<FolderCase> {
  protected:
    UnicodeFolders() : folder(GetParam().configuration, "launcher", GetParam().row.folder) {}

    bool onWindows() const { return GetParam().configuration.target == Target::Windows; }

    // The runtime as the INI names it, linked into the application's folder
    // when the row wants it there.
    std::string placeRuntime(std::map<std::string, std::string>& environment) {
        const std::string& home = GetParam().configuration.jdkHome;
        switch (GetParam().row.runtime) {
        case RuntimeBy::JrePathOutside:
            return "JRE Path=" + folder.installRuntime() + "\n";
        case RuntimeBy::JrePathInside:
            fs::create_directory_symlink(home, folder.path() / "Среда");
            return "JRE Path=" + folder.launcherPath("Среда") + "\n";
        case RuntimeBy::PrivateJre64:
            fs::create_directory_symlink(home, folder.path() / "jre64");
            return "";
        case RuntimeBy::Registry:
            // Linux has runtime folders where Windows has the registry.
            fs::create_directories(folder.path() / "Среды");
            fs::create_directory_symlink(home, folder.path() / "Среды" / "jdk");
            if (!onWindows()) {
                environment["LAUNCHER_RUNTIME_FOLDERS"] = (folder.path() / "Среды").string();
                return "";
            }
            registration = std::make_unique<WineRegistration>(
                "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\9.0.0\\hotspot\\MSI", "Path", "REG_SZ",
                folder.launcherPath("Среды/jdk"), false);
            EXPECT_TRUE(registration->added());
            return "";
        }
        return "";
    }

    std::string placeClasses() const {
        fs::path lib = folder.path() / "lib";
        fs::create_directories(lib);
        if (GetParam().row.classPath == ClassPathBy::AbsoluteEntry) {
            fs::copy(folder.testApplicationClasses(), lib / "классы", fs::copy_options::recursive);
            return folder.launcherPath("lib/классы");
        }
        std::vector<std::string> command = {LAUNCHER_JAR_TOOL,
                                            "cf",
                                            (lib / "app.jar").string(),
                                            "-C",
                                            folder.testApplicationClasses(),
                                            "testapp"};
        testing::ProcessResult packed = testing::runProcess(command);
        EXPECT_EQ(packed.exitCode, 0) << packed.output;
        return "\\lib\\*.jar";
    }

    void writeIni(const std::string& text) const {
        std::string crlf;
        for (char c : text) {
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        std::string bytes = GetParam().row.encoding == IniEncoding::Utf16
                                ? testing::utf16Bytes(testing::toU16(fs::path(crlf)), true)
                            : GetParam().row.encoding == IniEncoding::Utf8WithMark
                                ? "\xEF\xBB\xBF" + crlf
                                : crlf;
        std::ofstream(folder.path() / "launcher.ini", std::ios::binary) << bytes;
    }

    LauncherFolder folder;
    std::unique_ptr<WineRegistration> registration;
};

std::string caseName(const ::testing::TestParamInfo<FolderCase>& info) {
    return info.param.configuration.name + "_" + info.param.row.name;
}

INSTANTIATE_TEST_SUITE_P(RealJvm, UnicodeFolders, ::testing::ValuesIn(folderCases()), caseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(UnicodeFolders);

TEST_P(UnicodeFolders, StartsWithEveryNameIntactOrStopsWithTheOptionsName) {
    const FolderRow& row = GetParam().row;
    // The C locale's VM names files in ASCII alone, whatever the launcher does.
    std::string libraryFolder = row.cLocale ? "native" : "родной";
    std::string logFile = row.cLocale ? "out.log" : "Вывод.log";
    fs::create_directories(folder.path() / libraryFolder);
    std::map<std::string, std::string> environment;
    std::string runtime = placeRuntime(environment);
    std::string classPath = placeClasses();
    writeIni("[Java Runtime Environment]\n" + runtime +
             "Main Class=testapp.Properties\nVirtual Machine Parameters=" + row.vmParameters +
             "\nLibrary Path=" + folder.launcherPath(libraryFolder) +
             "\n[Class Path]\nClass Path=" + classPath +
             "\n[Application]\nOutput File=" + folder.launcherPath("logs/" + logFile) + "\n");
    if (row.cLocale) {
        environment["LC_ALL"] = "C";
    }
    RunResult result = folder.run({"app.title", "java.library.path"}, environment);
    std::optional<std::string> error = onWindows() ? row.windowsError : row.linuxError;
    // Before 25 the VM loads its own native libraries by their long names even
    // from a short home: such a runtime is refused instead of failing half way.
    if (onWindows() && row.runtime != RuntimeBy::JrePathOutside &&
        featureOf(GetParam().configuration.jdkHome) < 25) {
        error = "-Djava.home cannot be passed to the Java VM in the system code page.\n";
    }
    if (error) {
        EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1)) << result.output << result.errors;
        EXPECT_EQ(result.output, folder.errorLine(*error)) << result.errors;
        return;
    }
    EXPECT_EQ(result.exitCode, 0u) << result.output << withoutWineAffinityWarnings(result.errors);
    std::string title = std::string(row.vmParameters).substr(std::string("-Dapp.title=").size());
    std::vector<std::string> lines = linesOf(result.output);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "property.app.title=" + title), lines.end())
        << result.output;
    // The library path names the folder, in a form the VM could read.
    size_t libraryPathLine = result.output.find("property.java.library.path=");
    ASSERT_NE(libraryPathLine, std::string::npos) << result.output;
    std::string libraryPath = result.output.substr(
        libraryPathLine, result.output.find('\n', libraryPathLine) - libraryPathLine);
    EXPECT_EQ(libraryPath.find('?'), std::string::npos) << libraryPath;
    EXPECT_TRUE(fs::exists(folder.path() / "logs" / logFile));
}

} // namespace
} // namespace launcher::e2e
