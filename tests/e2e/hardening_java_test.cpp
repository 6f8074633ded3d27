// Launches that once took code from the current directory, hung, reported a failure
// as success or flooded the VM with local references.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class JavaHardening : public ::testing::TestWithParam<Configuration> {
  protected:
    JavaHardening() : folder(GetParam()) {}

    // An INI file for `mainClass` with the given class path and VM parameters.
    void configure(const std::string& mainClass, const std::string& classPathLine,
                   const std::string& jreExtra = "", const std::string& variant = "default") {
        folder.writeIni("[Java Runtime Environment]\nJRE Path=" + folder.installRuntime(variant) +
                        "\nMain Class=" + mainClass + "\n" + jreExtra + "\n[Class Path]\n" +
                        classPathLine + "\n");
    }

    // The Java test applications laid out in the folder the launcher starts in.
    void putApplicationsInTheCurrentDirectory() const {
        if (GetParam().target == Target::Linux) {
            fs::copy(folder.testApplicationClasses(), folder.path(), fs::copy_options::recursive);
        }
    }

    LauncherFolder folder;
};

class JavaHardeningAnywhere : public JavaHardening {};
class JavaHardeningOnRealJvm : public JavaHardening {};
class JavaHardeningOnTestJvm : public JavaHardening {};

INSTANTIATE_TEST_SUITE_P(All, JavaHardeningAnywhere, ::testing::ValuesIn(allConfigurations()),
                         nameOf);
INSTANTIATE_TEST_SUITE_P(RealJvm, JavaHardeningOnRealJvm,
                         ::testing::ValuesIn(realJvmConfigurations()), nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(JavaHardeningOnRealJvm);
INSTANTIATE_TEST_SUITE_P(TestJvm, JavaHardeningOnTestJvm,
                         ::testing::ValuesIn(testJvmConfigurations()), nameOf);

// The test JVM finds its scripted classes whatever the class path says, and a real
// JVM without a class path option looks in the current directory: either would run
// main if the launch went on.
TEST_P(JavaHardeningAnywhere, AnEmptyClassPathStopsTheLaunch) {
    putApplicationsInTheCurrentDirectory();
    for (const char* classPathLine : {"", "Class Path=\\lib\\*.jar;\\missing.jar"}) {
        configure("testapp.PrintArgs", classPathLine, "Virtual Machine Parameters=-Xmx64m");
        RunResult result = folder.run({"x"});
        EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1)) << classPathLine;
        EXPECT_EQ(result.output, folder.errorLine("Java Class Path was not specified in INI file."))
            << classPathLine;
        if (!GetParam().realJvm()) {
            EXPECT_TRUE(folder.recorded("option").empty()) << "a VM was created";
        }
    }
}

// The last class path element is not followed by a separator, which the VM would
// read as the current directory.
TEST_P(JavaHardeningOnRealJvm, AClassInTheCurrentDirectoryIsNotOnTheClassPath) {
    putApplicationsInTheCurrentDirectory();
    fs::create_directories(folder.path() / "lib");
    std::ofstream(folder.path() / "lib" / "util.jar") << "not really a jar";
    configure("testapp.PrintArgs", "Class Path=\\lib\\*.jar");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 1u) << result.output << result.errors;
    EXPECT_FALSE(contains(result.output, "args.count")) << result.output;
    EXPECT_TRUE(contains(result.errors, "Could not find or load main class testapp.PrintArgs"))
        << result.errors;
}

// Only the test JVM tells the stack size of the thread main runs on.
TEST_P(JavaHardeningOnTestJvm, TheThreadStackComesFromTheExpandedXss) {
    configure("testapp.Stack", "Class Path=" + folder.applicationClassPath(),
              "Virtual Machine Parameters=-Xss%ZEN_TEST_STACK%");
    ASSERT_EQ(folder.run({}, {{"ZEN_TEST_STACK", "6m"}}).exitCode, 0u);
    std::vector<std::string> sizes = folder.recorded("thread.stack");
    ASSERT_FALSE(sizes.empty());
    EXPECT_GE(std::stoull(sizes.back()), 6u * 1024 * 1024);
    EXPECT_LT(std::stoull(sizes.back()), 6u * 1024 * 1024 + 256 * 1024);
}

// A stack no thread can have: main runs on the calling thread instead. Under Wine
// the first size once crashed the process inside CreateThread, which read as 0.
TEST_P(JavaHardeningOnTestJvm, AStackSizeNoThreadCanHaveIsNeverASilentSuccess) {
    for (const char* size : {"18446744073709551615", "9223372036854775807"}) {
        configure("testapp.PrintArgs", "Class Path=" + folder.applicationClassPath(),
                  std::string("Virtual Machine Parameters=-Xss") + size);
        RunResult result = folder.run({"ran"});
        EXPECT_EQ(result.exitCode, 0u) << size << ": " << result.output << result.errors;
        EXPECT_TRUE(contains(result.output, "arg[0]=ran")) << size << ": " << result.output;
    }
}

// Without the launcher helper the launcher's own look-up fails; the thread that
// failed must not stay attached, or the teardown's DestroyJavaVM waits for ever.
TEST_P(JavaHardeningOnTestJvm, AMissingMainClassWithIbmRuntimesAdmittedEnds) {
    for (const char* provider : {"any", "ibm"}) {
        configure("testapp.Missing", "Class Path=" + folder.applicationClassPath(),
                  std::string("VM Provider=") + provider, "no-boot-loader");
        RunResult result = folder.run();
        EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1)) << provider;
        EXPECT_TRUE(
            contains(result.output, "Error: Could not find the main class testapp/Missing."))
            << provider << ": " << result.output;
    }
}

// -Xcheck:jni warns as soon as a thread holds more local references than it asked
// room for, and when a call that may throw goes unchecked.
TEST_P(JavaHardeningOnRealJvm, ManyArgumentsHoldNoLocalReferences) {
    if (GetParam().target != Target::Linux) {
        GTEST_SKIP() << "the command line of a Windows process is too short for this";
    }
    configure("testapp.PrintArgs", "Class Path=" + folder.applicationClassPath(),
              "Virtual Machine Parameters=-Xcheck:jni");
    std::vector<std::string> arguments(100000, "a");
    RunResult result = folder.run(arguments);
    EXPECT_EQ(result.exitCode, 0u) << result.errors;
    EXPECT_TRUE(contains(result.output, "args.count=100000\n"));
    EXPECT_FALSE(contains(result.output + result.errors, "WARNING"))
        << result.errors.substr(0, 2000);
}

} // namespace
} // namespace launcher::e2e
