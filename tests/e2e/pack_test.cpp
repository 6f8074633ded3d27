// launcher-pack end to end: a Windows application folder packed by the Windows
// build of the tool under Wine, read back as Windows' file properties read it and
// run on its private runtime; and Linux folders whose runtime jlink made.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> withoutAffinityWarnings(const std::string& output) {
    std::vector<std::string> lines;
    for (const std::string& line : linesOf(output)) {
        if (line.find("process group affinity") == std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(PackForWindows, TheFolderShowsItsIdentityAndRunsOnItsPrivateRuntime) {
    fs::path runtime = fs::path(LAUNCHER_WINDOWS_RUNTIMES_DIR) / "windows-jdk-25";
    fs::path tool = windowsBuild() / "launcher-pack.exe";
    if (!fs::exists(tool) || !fs::exists(runtime)) {
        GTEST_SKIP() << "needs the Windows build and build/runtimes/windows-jdk-25";
    }
    testing::TestFolder folder;
    fs::path out = folder.path() / "Hello";
    std::map<std::string, std::string> wine = testing::wineEnvironment(winePrefix());
    testing::ProcessResult packed =
        testing::runProcess({.arguments = {"wine",
                                           tool.string(),
                                           "--name",
                                           "Hello",
                                           "--out",
                                           windowsPathOf(out),
                                           "--icon",
                                           windowsPathOf(LAUNCHER_SAMPLE_ICON),
                                           "--version",
                                           "2.1",
                                           "--company",
                                           "Example Ltd",
                                           "--product-name",
                                           "Hello Sample",
                                           "--execution-level",
                                           "asInvoker",
                                           "--jar",
                                           windowsPathOf(LAUNCHER_SAMPLE_JAR),
                                           "--main",
                                           "com.example.hello.HelloApp",
                                           "--runtime",
                                           windowsPathOf(runtime)},
                             .environment = wine});
    ASSERT_EQ(packed.exitCode, 0) << packed.output;

    testing::ProcessResult read = testing::runProcess(
        {.arguments = {"wine", (windowsBuild() / "tests" / "resource_probe.exe").string(),
                       windowsPathOf(out / "Hello.exe")},
         .environment = wine});
    std::vector<std::string> lines = linesOf(read.output);
    for (const char* expected :
         {"fixed|2.1.0.0|2.1.0.0", "version|CompanyName|Example Ltd",
          "version|OriginalFilename|Hello.exe", "version|ProductName|Hello Sample", "icons|1",
          "images|2", "loaded|32", "manifest|asInvoker"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected << "\n"
                                                                                << read.output;
    }

    testing::ProcessResult ran = testing::runProcess(
        {.arguments = {"wine", (out / "Hello.exe").string(), "Ada"}, .environment = wine});
    std::vector<std::string> shown = withoutAffinityWarnings(ran.output);
    ASSERT_FALSE(shown.empty()) << ran.output;
    EXPECT_EQ(shown[0], "Hello, Ada!") << ran.output;
    EXPECT_NE(ran.output.find("jre64"), std::string::npos) << ran.output;
}

class PackForLinux : public ::testing::TestWithParam<Configuration> {};
INSTANTIATE_TEST_SUITE_P(RealJvm, PackForLinux,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Linux)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PackForLinux);

TEST_P(PackForLinux, JlinkMakesThePrivateRuntimeTheLauncherFinds) {
    testing::TestFolder folder;
    fs::path out = folder.path() / "hello";
    testing::ProcessResult packed =
        testing::runProcess({LAUNCHER_PACK_TOOL, "--launcher", LAUNCHER_LINUX_BINARY, "--name",
                             "hello", "--out", out.string(), "--jar", LAUNCHER_SAMPLE_JAR, "--main",
                             "com.example.hello.HelloApp", "--jlink", GetParam().jdkHome},
                            std::chrono::seconds(300));
    ASSERT_EQ(packed.exitCode, 0) << packed.output;
    testing::ProcessResult ran = testing::runProcess({(out / "hello").string(), "Ada"});
    EXPECT_EQ(ran.exitCode, 0) << ran.output;
    EXPECT_NE(ran.output.find("Hello, Ada!"), std::string::npos) << ran.output;
    EXPECT_NE(ran.output.find("Java home:   " + (out / "jre64").string()), std::string::npos)
        << ran.output;
}

} // namespace
} // namespace launcher::e2e
