// The Linux launcher asking for a runtime folder on a terminal: run on a
// pseudo-terminal, answered line by line as its prompts appear.
#include "e2e/launcher_run.h"
#include "platform/posix_handles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

struct TerminalRun {
    std::string output;
    int exitCode = -1;
};

// Runs the program with standard input, output and error on a new terminal; the
// n-th time "JRE Path: " appears, answers[n] is typed (a missing answer closes
// the input: end of file).
TerminalRun runOnTerminal(const fs::path& program, const fs::path& folder,
                          const std::map<std::string, std::string>& environment,
                          const std::vector<std::string>& answers) {
    platform::UniqueFileDescriptor terminal(posix_openpt(O_RDWR | O_NOCTTY));
    if (!terminal || grantpt(terminal.get()) != 0 || unlockpt(terminal.get()) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    const int master = terminal.get();
    const fs::path terminalPath = ptsname(master);
    testing::Process child({.arguments = {program.string(), "typed"},
                            .environment = environment,
                            .inheritEnvironment = false,
                            .workingFolder = folder,
                            .input = terminalPath,
                            .output = terminalPath,
                            .newSession = true});
    TerminalRun run;
    size_t answered = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (;;) {
        pollfd ready = {master, POLLIN, 0};
        if (std::chrono::steady_clock::now() > deadline) {
            child.end(SIGKILL);
            break;
        }
        if (poll(&ready, 1, 100) > 0) {
            char buffer[4096];
            ssize_t read = ::read(master, buffer, sizeof buffer);
            if (read <= 0) {
                break; // the terminal closed: the program ended
            }
            run.output.append(buffer, static_cast<size_t>(read));
            size_t prompts = 0;
            for (size_t at = run.output.find("JRE Path: "); at != std::string::npos;
                 at = run.output.find("JRE Path: ", at + 1)) {
                ++prompts;
            }
            while (answered < prompts) {
                if (answered < answers.size()) {
                    std::string line = answers[answered] + "\n";
                    static_cast<void>(::write(master, line.data(), line.size()));
                } else {
                    static_cast<void>(::write(master, "\x04", 1)); // end of input
                }
                ++answered;
            }
        }
    }
    run.exitCode = child.wait(std::chrono::seconds(120)).value_or(-1);
    return run;
}

std::string firstJdk() {
    std::vector<Configuration> linux = onTarget(realJvmConfigurations(), Target::Linux);
    return linux.empty() ? std::string() : linux.front().jdkHome;
}

class TerminalPrompt : public ::testing::Test {
  protected:
    void SetUp() override {
        jdk = firstJdk();
        if (jdk.empty()) {
            GTEST_SKIP() << "no JDK under /usr/lib/jvm";
        }
        folder.writeIni({.product = "Product Name=PromptTest\nProduct Code=1",
                         .jre = "Main Class=testapp.PrintArgs\nJRE Path=" +
                                folder.launcherPath("no-runtime") + "\nMinimum Version=99",
                         .classPath = folder.applicationClassPath()});
        fs::create_directories(folder.path() / "config");
        fs::create_directories(folder.path() / "no-runtimes");
        environment = {{"PATH", "/usr/bin:/bin"},
                       {"XDG_CONFIG_HOME", (folder.path() / "config").string()},
                       {"LAUNCHER_RUNTIME_FOLDERS", (folder.path() / "no-runtimes").string()}};
    }

    fs::path perUserFile() const {
        return folder.path() / "config" / "PromptTest" / "1" / "launcher.ini";
    }

    TerminalRun run(const std::vector<std::string>& answers) const {
        return runOnTerminal(folder.path() / "launcher", folder.path(), environment, answers);
    }

    LauncherFolder folder{Configuration{"LinuxPrompt", Target::Linux, ""}};
    std::string jdk;
    std::map<std::string, std::string> environment;
};

TEST_F(TerminalPrompt, AFolderWithoutAJvmIsAskedAgainAndTheRightOneIsKept) {
    TerminalRun result = run({(folder.path() / "no-runtimes").string(), jdk});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("The Java Runtime Environment (JRE) was not found. Please  "
                                 "download and install a JRE (minimum version 99.0) from:"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("https://adoptium.net/"), std::string::npos);
    EXPECT_NE(result.output.find("No JVM library below " +
                                 (folder.path() / "no-runtimes").string() + "/"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("arg[0]=typed"), std::string::npos) << result.output;

    std::string content = readFile(perUserFile());
    EXPECT_NE(content.find("JRE Path=" + jdk + "/"), std::string::npos) << content;
    // Later starts, terminal or not, take the saved folder.
    RunResult again = folder.run(
        {"again"}, {{"XDG_CONFIG_HOME", (folder.path() / "config").string()},
                    {"LAUNCHER_RUNTIME_FOLDERS", (folder.path() / "no-runtimes").string()}});
    EXPECT_EQ(again.exitCode, 0u) << again.output;
    EXPECT_NE(again.output.find("arg[0]=again"), std::string::npos) << again.output;
}

TEST_F(TerminalPrompt, AnEmptyLineOrTheEndOfInputCancels) {
    for (const std::vector<std::string>& answers :
         {std::vector<std::string>{""}, std::vector<std::string>{}}) {
        TerminalRun result = run(answers);
        EXPECT_EQ(result.exitCode, 255) << result.output;
        EXPECT_EQ(result.output.find("arg[0]"), std::string::npos) << result.output;
        EXPECT_FALSE(fs::exists(perUserFile()));
    }
}

} // namespace
} // namespace launcher::e2e
