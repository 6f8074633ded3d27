// Processes on Linux: argv, and posix_spawn for the companion program.
#include "platform/process.h"
#include "platform/text.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace launcher::platform {

namespace {

std::vector<std::string>& storedArguments() {
    static std::vector<std::string> arguments;
    return arguments;
}

class PosixChildProcess final : public ChildProcess {
  public:
    explicit PosixChildProcess(pid_t pid) : pid_(pid) {}
    ~PosixChildProcess() override {
        if (!reaped_) {
            waitpid(pid_, nullptr, WNOHANG);
        }
    }
    std::optional<uint32_t> waitForExitCode() override {
        int status = 0;
        pid_t done;
        do {
            done = waitpid(pid_, &status, 0);
        } while (done < 0 && errno == EINTR);
        if (done != pid_) {
            return std::nullopt;
        }
        reaped_ = true;
        if (WIFEXITED(status)) {
            return static_cast<uint32_t>(WEXITSTATUS(status));
        }
        return static_cast<uint32_t>(128 + WTERMSIG(status)); // as a shell reports a signal
    }

  private:
    pid_t pid_;
    bool reaped_ = false;
};

} // namespace

void setProcessArguments(int argc, char** argv) {
    storedArguments().assign(argv, argv + argc);
}

std::optional<WideString> commandLineText() {
    return std::nullopt;
}

WideStringList systemSplitArguments() {
    WideStringList arguments;
    const std::vector<std::string>& argv = storedArguments();
    for (size_t i = 1; i < argv.size(); ++i) {
        arguments.push_back(narrowToWide(argv[i]));
    }
    return arguments;
}

uint32_t currentProcessId() {
    return static_cast<uint32_t>(getpid());
}

// Narrow text is UTF-8 on these systems whatever the locale says.
void useSystemLocale() {}

std::unique_ptr<ChildProcess> ChildProcess::startWithOwnCommandLine(const WideString& program,
                                                                    SystemError& error) {
    std::vector<char*> argv;
    for (std::string& argument : storedArguments()) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::string path = wideToNarrow(program);
    pid_t pid = 0;
    int failed = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
    if (failed != 0) {
        error = SystemError{static_cast<uint32_t>(failed), "posix_spawn", {}};
        return nullptr;
    }
    return std::make_unique<PosixChildProcess>(pid);
}

std::unique_ptr<ChildProcess> ChildProcess::startQuietly(const WideString& program,
                                                         const WideStringList& arguments,
                                                         SystemError& error) {
    std::vector<std::string> texts{wideToNarrow(program)};
    for (const WideString& argument : arguments) {
        texts.push_back(wideToNarrow(argument));
    }
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int failed = posix_spawn(&pid, texts[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        error = SystemError{static_cast<uint32_t>(failed), "posix_spawn", {}};
        return nullptr;
    }
    return std::make_unique<PosixChildProcess>(pid);
}

} // namespace launcher::platform
