// Service mode end to end: the Windows launcher under Wine's service control
// manager on real runtimes (the test JVM only for a failure on demand), and the
// Linux launcher as a supervised foreground process on the machine's JDKs.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kStartSeconds = 90; // a JVM's first start under Wine is slow

class Service : public ::testing::TestWithParam<Configuration> {
  protected:
    Service() : folder(GetParam()) { fs::create_directories(marks()); }

    fs::path marks() const { return folder.path() / "marks"; }
    fs::path mark(const std::string& name) const { return marks() / name; }

    std::string pathForLauncher(const fs::path& path) const {
        return GetParam().target == Target::Windows ? windowsPathOf(path) : path.string();
    }

    void configure(const std::string& mainClass, const std::string& applicationExtra,
                   const std::string& vmParameters = "", const std::string& variant = "default") {
        folder.writeIni(
            {.jre = "JRE Path=" + folder.installRuntime(variant) + "\nMain Class=" + mainClass +
                    "\nVirtual Machine Parameters=-Dtestapp.marks=" + pathForLauncher(marks()) +
                    " " + vmParameters,
             .classPath = folder.applicationClassPath(),
             .application = applicationExtra});
    }

    LauncherFolder folder;
};

// ---------------------------------------------------------------------------
// Windows, under Wine's service control manager.

// A Windows program of the build's prefix, with its output and status; one that
// hangs is ended after two minutes (status -1), so that the test fails instead.
testing::ProcessResult wine(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "wine");
    return testing::runProcess(
        {.arguments = std::move(arguments), .environment = testing::wineEnvironment(winePrefix())});
}

std::string probe() {
    return (windowsBuild() / "tests" / "service_probe.exe").string();
}

// "state=4 win32=0 specific=0 controls=5 pid=..." as fields.
std::map<std::string, std::string> fieldsOf(const std::string& line) {
    std::map<std::string, std::string> fields;
    std::istringstream in(line);
    for (std::string field; in >> field;) {
        size_t equals = field.find('=');
        if (equals != std::string::npos) {
            fields[field.substr(0, equals)] = field.substr(equals + 1);
        }
    }
    return fields;
}

class ServiceUnderWine : public Service {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        name = "LauncherTest" + std::to_string(getpid()) + "x" + std::to_string(++counter);
        // A service lives only while some other process keeps the Wine session up.
        holder.emplace(folder.startWindowsProgram(probe(), {"hold"}));
        testing::ProcessResult created =
            wine({"sc", "create", name, "binpath=", windowsPathOf(folder.path() / "launcher.exe")});
        ASSERT_EQ(created.exitCode, 0) << created.output;
    }
    void TearDown() override {
        wine({"net", "stop", name});
        wine({probe(), "wait", name, "1", "30"});
        wine({"sc", "delete", name});
    }

    std::map<std::string, std::string> query() {
        return fieldsOf(wine({probe(), "query", name}).output);
    }
    // Waits for `state` with a deadline; the fields at the end of the wait.
    std::map<std::string, std::string> waitForState(int state, int seconds = kStartSeconds) {
        testing::ProcessResult waited =
            wine({probe(), "wait", name, std::to_string(state), std::to_string(seconds)});
        EXPECT_EQ(waited.exitCode, 0) << "state " << state << " not reached: " << waited.output;
        return fieldsOf(waited.output);
    }

    std::string name;
    std::optional<StartedRun> holder;
};

class ServiceUnderWineOnRealJvm : public ServiceUnderWine {};
class ServiceUnderWineOnTestJvm : public ServiceUnderWine {};

INSTANTIATE_TEST_SUITE_P(RealJvm, ServiceUnderWineOnRealJvm,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Windows)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ServiceUnderWineOnRealJvm);
INSTANTIATE_TEST_SUITE_P(TestJvm, ServiceUnderWineOnTestJvm,
                         ::testing::ValuesIn(onTarget(testJvmConfigurations(), Target::Windows)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ServiceUnderWineOnTestJvm);

struct ArgumentCase {
    std::string omitServiceName;
    std::vector<std::string> parameters; // after the service name
    bool nameExpected;
};

TEST_P(ServiceUnderWineOnRealJvm, RunsUntilStopCallsStopThenReportsACleanStop) {
    for (const ArgumentCase& c : {ArgumentCase{"", {"p1", "p 2"}, true},
                                  ArgumentCase{"yes", {"p1"}, false}, ArgumentCase{"", {}, true}}) {
        SCOPED_TRACE("Omit Service Name=" + c.omitServiceName);
        fs::remove_all(marks());
        fs::create_directories(marks());
        configure("testapp.Service",
                  "Application Type=service\nOmit Service Name=" + c.omitServiceName);
        std::vector<std::string> start = {probe(), "start", name};
        start.insert(start.end(), c.parameters.begin(), c.parameters.end());
        testing::ProcessResult started = wine(start);
        ASSERT_EQ(started.exitCode, 0) << started.output;
        ASSERT_TRUE(waitForFile(mark("running"), kStartSeconds));

        std::string expected = c.nameExpected ? name : "";
        for (const std::string& parameter : c.parameters) {
            expected += (expected.empty() && !c.nameExpected ? "" : "\n") + parameter;
        }
        EXPECT_EQ(readFile(mark("args")), expected);
        std::map<std::string, std::string> running = query();
        EXPECT_EQ(running["state"], "4");
        EXPECT_EQ(running["controls"], "5");
        // An interrogate answers with the record as it stands.
        std::map<std::string, std::string> interrogated =
            fieldsOf(wine({probe(), "control", name, "4"}).output);
        EXPECT_EQ(interrogated["state"], "4");
        EXPECT_EQ(interrogated["controls"], "5");

        testing::ProcessResult stopped = wine({"net", "stop", name});
        std::map<std::string, std::string> end = waitForState(1);
        EXPECT_EQ(end["win32"], "0") << stopped.output;
        EXPECT_EQ(end["specific"], "0");
        EXPECT_TRUE(fs::exists(mark("stop")));
        EXPECT_TRUE(fs::exists(mark("main-returned")));
    }
}

// Wine marks a service whose process ends while running as aborted (1067), and
// leaves one that ends while stop-pending as it is: a stopped state with 0 can
// only come from the launcher's own report before the process ended.
TEST_P(ServiceUnderWineOnRealJvm, WithoutStopSystemExitEndsItAndIsReportedStopped) {
    configure("testapp.ServiceWithoutStop", "Application Type=service");
    testing::ProcessResult started = wine({"net", "start", name});
    ASSERT_EQ(started.exitCode, 0) << started.output;
    ASSERT_TRUE(waitForFile(mark("running"), kStartSeconds));
    wine({"net", "stop", name});
    std::map<std::string, std::string> end = waitForState(1);
    EXPECT_EQ(end["win32"], "0");
    EXPECT_TRUE(fs::exists(mark("shutdown"))) << "System.exit did not run the shutdown hooks";
}

// The manager's stop arrives while the VM is being made (the service counts as
// running from the start): it is kept and reaches stop() once main runs.
TEST_P(ServiceUnderWineOnRealJvm, AStopBeforeMainIsKeptUntilMainRuns) {
    configure("testapp.Service", "Application Type=service",
              "-Djava.system.class.loader=testapp.HeldLoader");
    testing::ProcessResult started = wine({"net", "start", name});
    ASSERT_EQ(started.exitCode, 0) << started.output;
    ASSERT_TRUE(waitForFile(mark("vm-starting"), kStartSeconds));
    testing::ProcessResult stopping = wine({probe(), "control", name, "1"});
    EXPECT_EQ(fieldsOf(stopping.output)["state"], "3") << stopping.output;
    std::ofstream(mark("go")).close();
    std::map<std::string, std::string> end = waitForState(1);
    EXPECT_EQ(end["win32"], "0");
    EXPECT_TRUE(fs::exists(mark("running")));
    EXPECT_TRUE(fs::exists(mark("stop")));
}

TEST_P(ServiceUnderWineOnRealJvm, AVmThatCannotBeCreatedIsAServiceSpecificError) {
    configure("testapp.Service", "Application Type=service", "-XX:+NoSuchFlagAnywhere");
    wine({probe(), "start", name});
    std::map<std::string, std::string> end = waitForState(1);
    EXPECT_EQ(end["win32"], "1066");
    EXPECT_EQ(end["specific"], "4294967295"); // the run's -1
    EXPECT_FALSE(fs::exists(mark("running")));
}

// A main that throws is a failed service, as it is a failed program.
TEST_P(ServiceUnderWineOnRealJvm, AnExceptionLeavingMainIsAServiceSpecificErrorOfOne) {
    configure("testapp.Throw", "Application Type=service");
    wine({probe(), "start", name});
    std::map<std::string, std::string> end = waitForState(1);
    EXPECT_EQ(end["win32"], "1066");
    EXPECT_EQ(end["specific"], "1");
}

TEST_P(ServiceUnderWineOnRealJvm, ACapitalSIsNoServiceAndTheManagerSeesNoneStart) {
    configure("testapp.PrintArgs", "Application Type=Service");
    testing::ProcessResult started = wine({probe(), "start", name});
    EXPECT_NE(started.exitCode, 0) << started.output;
    EXPECT_EQ(query()["state"], "1");
}

// A main class that cannot be found, without the VM's launcher helper, ends the
// run itself with -1: only the test JVM can leave that helper out.
TEST_P(ServiceUnderWineOnTestJvm, AMainClassThatFailsIsAServiceSpecificError) {
    configure("testapp.Missing", "Application Type=service", "", "no-boot-loader");
    wine({probe(), "start", name});
    std::map<std::string, std::string> end = waitForState(1);
    EXPECT_EQ(end["win32"], "1066");
    EXPECT_EQ(end["specific"], "4294967295");
}

// ---------------------------------------------------------------------------
// Both systems, started from a console.

struct ConsoleCase {
    const char* type;
    bool service;
};

class ServiceFromAConsole : public Service {};
INSTANTIATE_TEST_SUITE_P(All, ServiceFromAConsole, ::testing::ValuesIn(allConfigurations()),
                         nameOf);

// Outside a service manager Windows refuses the dispatcher (1063) after the
// preparation; the Linux launcher runs in the foreground. "Service" is no keyword.
TEST_P(ServiceFromAConsole, OnlyTheLowerCaseKeywordSelectsServiceMode) {
    for (const ConsoleCase& c : {ConsoleCase{"Service", false}, ConsoleCase{"service", true},
                                 ConsoleCase{"SERVICE", false}}) {
        SCOPED_TRACE(c.type);
        configure("testapp.PrintArgs", std::string("Application Type=") + c.type);
        RunResult result = folder.run({"a"});
        bool refused = c.service && GetParam().target == Target::Windows;
        EXPECT_EQ(result.exitCode, refused ? 1063u : 0u) << result.output << result.errors;
        EXPECT_EQ(result.output.find("arg[0]=a") != std::string::npos, !refused) << result.output;
    }
}

// ---------------------------------------------------------------------------
// Linux: a foreground process under a notify-type supervisor.

// The supervisor's end of NOTIFY_SOCKET: a datagram socket bound to a path.
class NotifyListener {
  public:
    explicit NotifyListener(const fs::path& path) : socket_(::socket(AF_UNIX, SOCK_DGRAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifyListener() { close(socket_); }
    NotifyListener(const NotifyListener&) = delete;
    NotifyListener& operator=(const NotifyListener&) = delete;

    bool bound() const { return bound_; }
    // The next message, waiting at most `seconds`; empty when none came.
    std::string next(int seconds) const {
        pollfd ready{socket_, POLLIN, 0};
        if (poll(&ready, 1, seconds * 1000) != 1) {
            return "";
        }
        char buffer[256];
        ssize_t size = recv(socket_, buffer, sizeof buffer, 0);
        return size <= 0 ? std::string() : std::string(buffer, static_cast<size_t>(size));
    }

  private:
    int socket_;
    bool bound_ = false;
};

class ServiceOnLinux : public Service {};
INSTANTIATE_TEST_SUITE_P(RealJvm, ServiceOnLinux,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Linux)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ServiceOnLinux);

TEST_P(ServiceOnLinux, SigtermCallsStopAndTheSupervisorHearsReadyAndStopping) {
    configure("testapp.Service", "Application Type=service");
    fs::path socket = folder.path() / "notify";
    NotifyListener supervisor(socket);
    ASSERT_TRUE(supervisor.bound());
    StartedRun launcher =
        folder.start({"a", "b c"}, "service", {{"NOTIFY_SOCKET", socket.string()}});
    EXPECT_EQ(supervisor.next(kStartSeconds), "READY=1");
    ASSERT_TRUE(waitForFile(mark("running"), kStartSeconds));
    EXPECT_EQ(readFile(mark("args")), "a\nb c");
    launcher.signal(SIGTERM);
    EXPECT_EQ(supervisor.next(kStartSeconds), "STOPPING=1");
    RunResult result = launcher.finish();
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_TRUE(fs::exists(mark("stop")));
    EXPECT_TRUE(fs::exists(mark("main-returned")));
}

TEST_P(ServiceOnLinux, SigintWithoutStopEndsThroughSystemExit) {
    configure("testapp.ServiceWithoutStop", "Application Type=service");
    StartedRun launcher = folder.start({}, "service");
    ASSERT_TRUE(waitForFile(mark("running"), kStartSeconds));
    launcher.signal(SIGINT);
    RunResult result = launcher.finish();
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_TRUE(fs::exists(mark("shutdown")));
}

// A stop that arrives while the VM is still being made is kept, and the
// application is asked to stop once main has been called. The VM's system class
// loader holds its creation until the test has sent the signal.
TEST_P(ServiceOnLinux, AStopBeforeMainIsKeptUntilMainRuns) {
    configure("testapp.Service", "Application Type=service",
              "-Djava.system.class.loader=testapp.HeldLoader");
    fs::path socket = folder.path() / "notify";
    NotifyListener supervisor(socket);
    ASSERT_TRUE(supervisor.bound());
    StartedRun launcher = folder.start({}, "service", {{"NOTIFY_SOCKET", socket.string()}});
    ASSERT_TRUE(waitForFile(mark("vm-starting"), kStartSeconds));
    launcher.signal(SIGTERM);
    EXPECT_EQ(supervisor.next(kStartSeconds), "STOPPING=1");
    std::ofstream(mark("go")).close();
    EXPECT_EQ(supervisor.next(kStartSeconds), "READY=1");
    RunResult result = launcher.finish();
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_TRUE(fs::exists(mark("running")));
    EXPECT_TRUE(fs::exists(mark("stop")));
}

// Programs the application starts, from main or from a thread of its own, are not
// left with SIGTERM or SIGINT blocked or ignored, or a supervisor could not stop them.
TEST_P(ServiceOnLinux, ProgramsTheApplicationStartsCanBeStoppedBySignals) {
    configure("testapp.ChildSignals", "Application Type=service");
    RunResult result = folder.run();
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    constexpr unsigned long long kStopSignals = (1ull << (SIGTERM - 1)) | (1ull << (SIGINT - 1));
    for (const char* name : {"child-main", "child-thread"}) {
        std::istringstream masks(readFile(mark(name)));
        int seen = 0;
        for (std::string field, hex; masks >> field >> hex; ++seen) {
            EXPECT_EQ(std::stoull(hex, nullptr, 16) & kStopSignals, 0u) << name << " " << field;
        }
        EXPECT_EQ(seen, 2) << name << ": " << readFile(mark(name));
    }
}

} // namespace
} // namespace launcher::e2e
