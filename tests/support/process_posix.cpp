// Starting, waiting for and ending child processes with posix_spawn.
#include "support/process.h"

#include "support/file_bytes.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace launcher::testing {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> childEnvironment(const ProcessOptions& options) {
    std::vector<std::string> environment;
    for (char** entry = environ; options.inheritEnvironment && *entry != nullptr; ++entry) {
        std::string pair(*entry);
        if (options.environment.count(pair.substr(0, pair.find('='))) == 0) {
            environment.push_back(pair);
        }
    }
    for (const auto& [name, value] : options.environment) {
        environment.push_back(name + "=" + value);
    }
    return environment;
}

std::vector<char*> pointersTo(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// What posix_spawn is given besides the arguments, owned for the time of the call.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// An open file the child's output is captured in: no pipe to keep drained, and
// nothing for a program the child leaves running (a wineserver) to hold open.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using CaptureFile = std::unique_ptr<std::FILE, FileCloser>;

pid_t spawn(const ProcessOptions& options, int captured) {
    SpawnSetup setup;
    posix_spawn_file_actions_t* actions = &setup.actions;
    if (!options.input.empty()) {
        posix_spawn_file_actions_addopen(actions, 0, options.input.c_str(), O_RDONLY, 0);
    }
    if (!options.output) {
        if (captured >= 0) {
            posix_spawn_file_actions_adddup2(actions, captured, 1);
        }
    } else if (!options.output->empty()) {
        posix_spawn_file_actions_addopen(actions, 1, options.output->c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (!options.errors || (options.output && *options.errors == *options.output)) {
        if (!options.output || !options.output->empty()) {
            posix_spawn_file_actions_adddup2(actions, 1, 2);
        }
    } else if (!options.errors->empty()) {
        posix_spawn_file_actions_addopen(actions, 2, options.errors->c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (!options.workingFolder.empty()) {
        posix_spawn_file_actions_addchdir_np(actions, options.workingFolder.c_str());
    }
    if (options.newSession) {
        posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSID);
    }
    std::vector<std::string> environment = childEnvironment(options);
    std::vector<char*> argv = pointersTo(options.arguments);
    std::vector<char*> envp = pointersTo(environment);
    pid_t pid = -1;
    int failed = posix_spawnp(&pid, argv[0], actions, &setup.attributes, argv.data(), envp.data());
    if (failed != 0) {
        throw std::runtime_error("cannot start " + options.arguments[0] + ": " +
                                 std::strerror(failed));
    }
    return pid;
}

} // namespace

Process::Process(const ProcessOptions& options) : Process(options, -1) {}

Process::Process(const ProcessOptions& options, int captured) : pid_(spawn(options, captured)) {}

Process::Process(Process&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}

Process::~Process() {
    // A test that failed half way must not leave its processes behind.
    end(SIGKILL);
}

std::optional<int> Process::wait(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0) {
        int status = 0;
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if ((done < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        // Nothing announces a child's end to a test that must also keep a deadline.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

bool Process::ended() const {
    siginfo_t info{};
    return pid_ <= 0 ||
           (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_);
}

void Process::signal(int number) const {
    if (pid_ > 0) {
        ::kill(pid_, number);
    }
}

void Process::end(int number) {
    if (pid_ > 0) {
        ::kill(pid_, number);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
}

ProcessResult runProcess(ProcessOptions options, std::chrono::seconds limit) {
    ProcessResult result;
    CaptureFile captured;
    if (!options.output) {
        captured.reset(std::tmpfile());
        if (!captured) {
            result.output = "no file to capture the output of " + commandLine(options.arguments);
            return result;
        }
    }
    try {
        if (captured) {
            fcntl(fileno(captured.get()), F_SETFD, FD_CLOEXEC);
        }
        Process process(options, captured ? fileno(captured.get()) : -1);
        std::optional<int> code = process.wait(limit);
        result.exitCode = code.value_or(-1);
    } catch (const std::runtime_error& error) {
        result.output = error.what();
        return result;
    }
    if (captured) {
        // A new open of the file reads it from the start, whatever the child left.
        result.output = readFile("/proc/self/fd/" + std::to_string(fileno(captured.get())));
    }
    return result;
}

ProcessResult runProcess(const std::vector<std::string>& arguments, std::chrono::seconds limit) {
    ProcessOptions options;
    options.arguments = arguments;
    return runProcess(std::move(options), limit);
}

std::string commandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line += (line.empty() ? "" : " ") + argument;
    }
    return line;
}

} // namespace launcher::testing
