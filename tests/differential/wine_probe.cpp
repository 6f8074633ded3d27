// Running a Windows probe program under Wine and reading what it wrote.
#include "wine_probe.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace launcher::differential {

namespace fs = std::filesystem;

namespace {

// A fresh prefix takes a while to set itself up on first use.
constexpr auto kProbeTimeout = std::chrono::minutes(5);

bool wineInstalled() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((fs::path(folder) / "wine").c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

bool windowsBuildRequired() {
    return std::getenv("LAUNCHER_REQUIRE_WINDOWS") != nullptr;
}

std::optional<fs::path> windowsProbe(std::string_view programName) {
    fs::path probe = fs::path(LAUNCHER_WINDOWS_BUILD_DIR) / "tests" / "differential" /
                     (std::string(programName) + ".exe");
    if (!fs::exists(probe) || !wineInstalled()) {
        return std::nullopt;
    }
    return probe;
}

std::string winePath(const fs::path& path) {
    std::string text = "Z:" + fs::absolute(path).string();
    for (char& unit : text) {
        if (unit == '/') {
            unit = '\\';
        }
    }
    return text;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::optional<std::string> runProbe(const fs::path& probe, const fs::path& folder,
                                    std::string_view request) {
    fs::path requestFile = folder / "request.txt";
    fs::path answerFile = folder / "answer.txt";
    fs::path errorFile = folder / "probe-errors.txt";
    std::ofstream(requestFile, std::ios::binary)
        .write(request.data(), static_cast<std::streamsize>(request.size()));

    std::vector<std::string> arguments = {
        LAUNCHER_WINE_RUN, std::string(LAUNCHER_WINDOWS_BUILD_DIR) + "/wineprefix", probe.string(),
        winePath(requestFile), winePath(answerFile)};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        ADD_FAILURE() << "cannot start " << arguments[0] << ": " << std::strerror(failed);
        return std::nullopt;
    }

    auto deadline = std::chrono::steady_clock::now() + kProbeTimeout;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << probe.filename() << " did not finish in time";
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << probe.filename() << " failed (status " << status
                      << "): " << readBytes(errorFile);
        return std::nullopt;
    }
    return readBytes(answerFile);
}

} // namespace launcher::differential
