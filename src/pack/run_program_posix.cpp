// Linux: posix_spawn with standard output on a pipe.
#include "pack/run_program.h"

#include "platform/posix_handles.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace launcher::pack {

ProgramResult runProgram(const std::vector<std::string>& arguments) {
    ProgramResult result;
    int ends[2];
    if (arguments.empty() || pipe(ends) != 0) {
        return result;
    }
    platform::UniqueFileDescriptor reading(ends[0]);
    platform::UniqueFileDescriptor writing(ends[1]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writing.get(), STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, reading.get());
    pid_t child = 0;
    int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writing.reset();
    if (started != 0) {
        return result;
    }
    char buffer[4096];
    for (ssize_t count; (count = read(reading.get(), buffer, sizeof buffer)) != 0;) {
        if (count < 0 && errno != EINTR) {
            break;
        }
        if (count > 0) {
            result.output.append(buffer, static_cast<size_t>(count));
        }
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace launcher::pack
