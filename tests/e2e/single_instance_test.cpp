// Single instance on real JVMs: later starts of the same executable hand their
// arguments to the running one's secondaryMain and end with its answer.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

class SingleInstance : public ::testing::TestWithParam<Configuration> {
  protected:
    SingleInstance() : folder(GetParam()) {}

    // An INI file for `mainClass` with "Single Instance" set to `value`; the
    // primary's main ends once the file "stop" exists.
    void configure(LauncherFolder& target, const std::string& mainClass,
                   const std::string& value = "yes", const std::string& extraOptions = "") {
        target.writeIni(
            {.jre = "JRE Path=" + target.installRuntime() + "\nMain Class=" + mainClass +
                    "\nVirtual Machine Parameters=-Dforward.stop=" + target.launcherPath("stop") +
                    " " + extraOptions,
             .classPath = target.applicationClassPath(),
             .application = "Single Instance=" + value});
    }
    void configure(const std::string& mainClass, const std::string& value = "yes",
                   const std::string& extraOptions = "") {
        configure(folder, mainClass, value, extraOptions);
    }

    // Starts the primary and waits until its main runs.
    StartedRun startPrimary(const LauncherFolder& target, const std::string& mainClass) const {
        StartedRun primary = target.start({}, "primary");
        EXPECT_TRUE(target.waitForRecordLine("main=testapp/" + mainClass))
            << "the primary's main did not start";
        return primary;
    }

    static void stop(const LauncherFolder& target) {
        std::ofstream(target.path() / "stop").put('\n');
    }

    uint32_t forward(const std::vector<std::string>& arguments, const std::string& tag) const {
        RunResult result = folder.start(arguments, tag).finish();
        EXPECT_EQ(result.output, "") << tag;
        return result.exitCode;
    }

    std::vector<std::string> forwarded() const { return folder.recorded("secondaryMain"); }

    LauncherFolder folder;
};

INSTANTIATE_TEST_SUITE_P(RealJvm, SingleInstance, ::testing::ValuesIn(realJvmConfigurations()),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SingleInstance);

struct Forwarded {
    std::vector<std::string> arguments;
    std::string received; // as secondaryMain records it
    uint32_t exitCode;    // the argument count secondaryMain returns
};

TEST_P(SingleInstance, AnIntSecondaryMainsAnswerIsTheSecondInstancesExitCode) {
    configure("testapp.ForwardInt");
    StartedRun primary = startPrimary(folder, "ForwardInt");
    const Forwarded cases[] = {
        {{"a", "b c"}, "[a] [b c]", 2},
        {{}, "[]", 1}, // no arguments arrive as one empty string
        {{"", "x"}, "[] [x]", 2},
        {{"a", "", "b"}, "[a] [] [b]", 3}, // empty arguments arrive too
        {{"a", ""}, "[a] []", 2},
        {{"-x", "k=v", "/y"}, "[-x] [k=v] [/y]", 3},
    };
    std::vector<std::string> expected;
    for (const Forwarded& c : cases) {
        EXPECT_EQ(forward(c.arguments, "second"), c.exitCode) << c.received;
        expected.push_back(c.received);
    }
    EXPECT_EQ(forwarded(), expected);
    stop(folder);
    RunResult ended = primary.finish();
    EXPECT_EQ(ended.exitCode, 0u) << ended.output << ended.errors;
    // Each second instance left the primary's VM, or DestroyJavaVM would still wait.
    EXPECT_EQ(folder.recorded("main.end"), std::vector<std::string>{"testapp/ForwardInt"});
}

TEST_P(SingleInstance, AVoidSecondaryMainAnswersZeroBeforeItRuns) {
    configure("testapp.Forward");
    StartedRun primary = startPrimary(folder, "Forward");
    EXPECT_EQ(forward({"a", "b"}, "second"), 0u);
    // The answer comes before the call: the line may follow the second instance's end.
    EXPECT_TRUE(folder.waitForRecordLine("secondaryMain=[a] [b]"));
    EXPECT_EQ(forward({"stop"}, "stopper"), 0u);
    RunResult ended = primary.finish();
    EXPECT_EQ(ended.exitCode, 0u) << ended.output << ended.errors;
    EXPECT_EQ(forwarded(), (std::vector<std::string>{"[a] [b]", "[stop]"}));
}

TEST_P(SingleInstance, ArgumentsUpTo518UnitsAreForwardedAndLongerOnesEndWithMinusOne) {
    configure("testapp.ForwardInt");
    StartedRun primary = startPrimary(folder, "ForwardInt");
    EXPECT_EQ(forward({std::string(518, 'x')}, "fits"), 1u);
    RunResult tooLong = folder.start({std::string(519, 'y')}, "too-long").finish();
    EXPECT_EQ(tooLong.exitCode, folder.exitCodeFor(-1));
    EXPECT_EQ(tooLong.output, "");
    stop(folder);
    EXPECT_EQ(primary.finish().exitCode, 0u);
    EXPECT_EQ(forwarded(), std::vector<std::string>{"[" + std::string(518, 'x') + "]"});
}

TEST_P(SingleInstance, ACapitalYesLeavesSingleInstanceOff) {
    configure("testapp.Forward", "Yes");
    StartedRun first = startPrimary(folder, "Forward");
    StartedRun second = folder.start({"a"}, "second");
    // The second start runs an application of its own.
    for (int i = 0; i < 12000 && folder.recorded("main").size() < 2; ++i) {
        EXPECT_FALSE(second.ended()) << "the second start ended without running main";
        if (second.ended()) {
            break;
        }
        usleep(10000);
    }
    EXPECT_EQ(folder.recorded("main").size(), 2u);
    stop(folder);
    EXPECT_EQ(first.finish().exitCode, 0u);
    EXPECT_EQ(second.finish().exitCode, 0u);
    EXPECT_TRUE(forwarded().empty());
}

TEST_P(SingleInstance, ASecondStartBeforeThePrimaryCallsMainWaitsForIt) {
    // The main class's initialiser holds the primary after its VM exists and
    // before main until the file "go" exists.
    configure("testapp.Forward", "yes", "-Dforward.hold=" + folder.launcherPath("go"));
    fs::path trace = folder.path() / "trace.log";
    StartedRun primary =
        folder.start({}, "primary", {{"LAUNCHER_TRACE", folder.launcherPath("trace.log")}});
    ASSERT_TRUE(folder.waitForRecordLine("hold"));
    StartedRun second = folder.start({"early"}, "second");
    EXPECT_FALSE(second.ended());
    std::ofstream(folder.path() / "go").put('\n');
    RunResult answered = second.finish();
    EXPECT_EQ(answered.exitCode, 0u) << answered.output << answered.errors;
    EXPECT_TRUE(folder.waitForRecordLine("secondaryMain=[early]"));
    // Main's first line and secondaryMain's race on two threads once main is
    // called; the primary's trace tells when main was called and when the
    // forwarded start was let in.
    std::string lines = readFile(trace);
    size_t main = lines.find("trace: main-call class=testapp/Forward");
    size_t forwardedLine = lines.find("trace: single-instance-forwarded");
    ASSERT_NE(forwardedLine, std::string::npos) << lines;
    EXPECT_LT(main, forwardedLine) << "secondaryMain ran before main was called\n" << lines;
    stop(folder);
    EXPECT_EQ(primary.finish().exitCode, 0u);
}

TEST_P(SingleInstance, APrimaryThatEndsBeforeItAnswersEndsTheWaitWithItsExitCode) {
    configure("testapp.ForwardInt");
    StartedRun primary = startPrimary(folder, "ForwardInt");
    // secondaryMain calls System.exit(7) instead of answering.
    EXPECT_EQ(forward({"exit", "7"}, "second"), 7u);
    EXPECT_EQ(primary.finish().exitCode, 7u);
    EXPECT_EQ(forwarded(), std::vector<std::string>{"[exit] [7]"});
}

TEST_P(SingleInstance, WithIbmRuntimesAdmittedForwardedStartsAreStillAnswered) {
    // Such runtimes keep every thread in the VM: main never returns to the
    // launcher, and only System.exit ends the primary.
    folder.writeIni({.jre = "JRE Path=" + folder.installRuntime() +
                            "\nMain Class=testapp.ForwardInt\nVM Provider=any\n"
                            "Virtual Machine Parameters=-Dtestjvm.wait.ms=0",
                     .classPath = folder.applicationClassPath(),
                     .application = "Single Instance=yes"});
    StartedRun primary = startPrimary(folder, "ForwardInt");
    ASSERT_TRUE(folder.waitForRecordLine("main.end=testapp/ForwardInt"));
    EXPECT_EQ(forward({"a", "b"}, "first"), 2u);
    EXPECT_EQ(forward({"c"}, "again"), 1u);
    EXPECT_FALSE(primary.ended());
    EXPECT_EQ(forward({"exit", "5"}, "last"), 5u);
    EXPECT_EQ(primary.finish().exitCode, 5u);
    EXPECT_EQ(forwarded(), (std::vector<std::string>{"[a] [b]", "[c]", "[exit] [5]"}));
}

TEST_P(SingleInstance, CopiesInDifferentFoldersAreIndependent) {
    LauncherFolder other(GetParam());
    configure("testapp.Forward");
    configure(other, "testapp.Forward");
    StartedRun primary = startPrimary(folder, "Forward");
    StartedRun otherPrimary = startPrimary(other, "Forward"); // a primary too, not a second
    EXPECT_EQ(forward({"stop", "here"}, "second"), 0u);
    RunResult otherSecond = other.start({"stop", "there"}, "second").finish();
    EXPECT_EQ(otherSecond.exitCode, 0u);
    EXPECT_EQ(primary.finish().exitCode, 0u);
    EXPECT_EQ(otherPrimary.finish().exitCode, 0u);
    EXPECT_EQ(forwarded(), std::vector<std::string>{"[stop] [here]"});
    EXPECT_EQ(other.recorded("secondaryMain"), std::vector<std::string>{"[stop] [there]"});
}

TEST_P(SingleInstance, TwentySecondInstancesAtOnceEachForwardWholeAndGetTheirOwnAnswer) {
    configure("testapp.ForwardInt");
    StartedRun primary = startPrimary(folder, "ForwardInt");
    constexpr int kStarts = 20;
    std::vector<StartedRun> seconds;
    std::vector<std::string> expected;
    for (int start = 1; start <= kStarts; ++start) {
        // Start n forwards n arguments, so its answer is n and its arguments are its own.
        std::vector<std::string> arguments;
        std::string received;
        for (int i = 1; i <= start; ++i) {
            arguments.push_back(std::to_string(start) + "." + std::to_string(i));
            received += (i == 1 ? "[" : " [") + arguments.back() + "]";
        }
        expected.push_back(received);
        seconds.push_back(folder.start(arguments, "second-" + std::to_string(start)));
    }
    for (int start = 1; start <= kStarts; ++start) {
        RunResult result = seconds[static_cast<size_t>(start - 1)].finish();
        EXPECT_EQ(result.exitCode, static_cast<uint32_t>(start)) << result.output << result.errors;
    }
    std::vector<std::string> received = forwarded();
    std::sort(received.begin(), received.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(received, expected);
    stop(folder);
    EXPECT_EQ(primary.finish().exitCode, 0u);
}

class SingleInstanceOnLinux : public SingleInstance {};
INSTANTIATE_TEST_SUITE_P(RealJvm, SingleInstanceOnLinux,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Linux)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SingleInstanceOnLinux);

TEST_P(SingleInstanceOnLinux, ThePrimaryRemovesItsBlockWhenItEnds) {
    configure("testapp.Forward");
    StartedRun primary = startPrimary(folder, "Forward");
    EXPECT_TRUE(fs::exists(instanceBlockFile(folder)));
    stop(folder);
    EXPECT_EQ(primary.finish().exitCode, 0u);
    EXPECT_FALSE(fs::exists(instanceBlockFile(folder)));
}

TEST_P(SingleInstanceOnLinux, ABlockLeftByACrashedPrimaryDoesNotStopTheNextStart) {
    configure("testapp.ForwardInt");
    StartedRun crashed = startPrimary(folder, "ForwardInt");
    crashed.kill();
    ASSERT_TRUE(fs::exists(instanceBlockFile(folder))); // what a crash leaves
    StartedRun next = folder.start({}, "next");
    for (int i = 0; i < 12000 && folder.recorded("main").size() < 2 && !next.ended(); ++i) {
        usleep(10000);
    }
    EXPECT_EQ(folder.recorded("main").size(), 2u) << "the next start did not become the primary";
    EXPECT_EQ(forward({"a"}, "second"), 1u);
    stop(folder);
    EXPECT_EQ(next.finish().exitCode, 0u);
}

// Wine and Windows alike: a primary in its teardown has a complete block whose
// message thread has quit. A start that meets it waits for that process to end
// and runs as the primary itself, instead of ending with -1.
std::vector<Configuration> oneWindowsRuntime() {
    std::vector<Configuration> windows = onTarget(realJvmConfigurations(), Target::Windows);
    windows.resize(std::min<size_t>(windows.size(), 1));
    return windows;
}

class SingleInstanceOnWindows : public SingleInstance {};
INSTANTIATE_TEST_SUITE_P(RealJvm, SingleInstanceOnWindows, ::testing::ValuesIn(oneWindowsRuntime()),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SingleInstanceOnWindows);

TEST_P(SingleInstanceOnWindows, AStartMeetingAPrimaryInItsTeardownBecomesThePrimary) {
    configure("testapp.PrintArgs");
    fs::path ready = folder.path() / "held";
    StartedRun ending = folder.startWindowsProgram(
        (windowsBuild() / "tests" / "instance_probe.exe").string(),
        {windowsPathOf(folder.path() / "launcher.exe"), "3000", windowsPathOf(ready)});
    ASSERT_TRUE(waitForFile(ready, 60)) << "the probe made no block";
    RunResult result = folder.run({"x"});
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_NE(result.output.find("arg[0]=x"), std::string::npos) << result.output;
    EXPECT_EQ(ending.finish().exitCode, 0u);
}

} // namespace
} // namespace launcher::e2e
