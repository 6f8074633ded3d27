// Runs a program of the test machine from a test: the launcher, Wine and the
// Windows programs under it, the build tools, an X server. Every test that
// starts a process goes through here, so that each one is reaped, ended when
// its test ends early, and given up on when it hangs.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace launcher::testing {

struct ProcessOptions {
    // [0] is a path, or a name looked up on PATH.
    std::vector<std::string> arguments{};
    // Set in the child over the inherited variables, or instead of them.
    std::map<std::string, std::string> environment{};
    bool inheritEnvironment = true;
    // Empty: this process's own.
    std::filesystem::path workingFolder{};
    // Each an empty path: this process's own stream. An output without a value
    // is captured into the result of runProcess (a Process started directly
    // leaves it this process's own); errors without one go where the output goes.
    std::filesystem::path input = "/dev/null";
    std::optional<std::filesystem::path> output{};
    std::optional<std::filesystem::path> errors{};
    // A session of its own: a terminal given as its input becomes its
    // controlling terminal (its output opens the terminal again).
    bool newSession = false;
};

struct ProcessResult {
    int exitCode = -1;  // -1: it did not end in time and was killed
    std::string output; // what it printed, where ProcessOptions left it captured
};

// A started child, ended (SIGKILL) and reaped when its owner goes.
class Process {
  public:
    // Throws std::runtime_error when the program cannot be started.
    explicit Process(const ProcessOptions& options);
    Process(Process&& other) noexcept;
    Process& operator=(Process&&) = delete;
    ~Process();

    int pid() const { return pid_; }
    // Waits at most `limit` and reaps it: its exit code, or 128 + the signal
    // that ended it; nothing while it still runs.
    std::optional<int> wait(std::chrono::milliseconds limit);
    // Whether it has ended; it is not reaped.
    bool ended() const;
    void signal(int number) const;
    // Sends `number` and reaps it.
    void end(int number);

  private:
    friend ProcessResult runProcess(ProcessOptions options, std::chrono::seconds limit);
    Process(const ProcessOptions& options, int captured);

    int pid_ = -1;
};

// Runs the program to its end, for `limit` at most.
ProcessResult runProcess(ProcessOptions options,
                         std::chrono::seconds limit = std::chrono::seconds(120));
ProcessResult runProcess(const std::vector<std::string>& arguments,
                         std::chrono::seconds limit = std::chrono::seconds(120));

// The arguments joined by spaces, for a failure message.
std::string commandLine(const std::vector<std::string>& arguments);

} // namespace launcher::testing
