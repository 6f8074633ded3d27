// The Linux launcher asking for a runtime folder on a terminal: run on a
// pseudo-terminal, answered line by line as its prompts appear.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
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
                          const std::vector<std::string>& environment,
                          const std::vector<std::string>& answers) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    std::string slave = ptsname(master);
    pid_t child = fork();
    if (child == 0) {
        setsid();
        int terminal = open(slave.c_str(), O_RDWR);
        dup2(terminal, 0);
        dup2(terminal, 1);
        dup2(terminal, 2);
        if (chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        std::vector<char*> variables;
        for (const std::string& variable : environment) {
            variables.push_back(const_cast<char*>(variable.c_str()));
        }
        variables.push_back(nullptr);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("typed"), nullptr};
        execve(argv[0], argv, variables.data());
        _exit(127);
    }
    TerminalRun run;
    size_t answered = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (;;) {
        pollfd ready = {master, POLLIN, 0};
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
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
    int status = 0;
    waitpid(child, &status, 0);
    close(master);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
        folder.writeIni("[Product Information]\nProduct Name=PromptTest\nProduct Code=1\n"
                        "[Java Runtime Environment]\nMain Class=testapp.PrintArgs\nJRE Path=" +
                        folder.launcherPath("no-runtime") +
                        "\nMinimum Version=99\n[Class Path]\nClass Path=" +
                        folder.testApplicationClasses() + "\n");
        fs::create_directories(folder.path() / "config");
        fs::create_directories(folder.path() / "no-runtimes");
        environment = {"PATH=/usr/bin:/bin",
                       "XDG_CONFIG_HOME=" + (folder.path() / "config").string(),
                       "LAUNCHER_RUNTIME_FOLDERS=" + (folder.path() / "no-runtimes").string()};
    }

    fs::path perUserFile() const {
        return folder.path() / "config" / "PromptTest" / "1" / "launcher.ini";
    }

    TerminalRun run(const std::vector<std::string>& answers) const {
        return runOnTerminal(folder.path() / "launcher", folder.path(), environment, answers);
    }

    LauncherFolder folder{Configuration{"LinuxPrompt", Target::Linux, ""}};
    std::string jdk;
    std::vector<std::string> environment;
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

    std::ifstream saved(perUserFile());
    std::stringstream content;
    content << saved.rdbuf();
    EXPECT_NE(content.str().find("JRE Path=" + jdk + "/"), std::string::npos) << content.str();
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
