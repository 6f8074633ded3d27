// Running a Windows probe program under Wine and reading what it wrote.
#include "wine_probe.h"

#include "support/file_bytes.h"
#include "support/process.h"
#include "support/wine_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace launcher::differential {

namespace fs = std::filesystem;
using testing::windowsPathOf;

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

std::optional<std::string> runProbe(const fs::path& probe, const fs::path& folder,
                                    std::string_view request) {
    fs::path requestFile = folder / "request.txt";
    fs::path answerFile = folder / "answer.txt";
    fs::path errorFile = folder / "probe-errors.txt";
    std::ofstream(requestFile, std::ios::binary)
        .write(request.data(), static_cast<std::streamsize>(request.size()));

    testing::ProcessResult result = testing::runProcess(
        {.arguments = {LAUNCHER_WINE_RUN, std::string(LAUNCHER_WINDOWS_BUILD_DIR) + "/wineprefix",
                       probe.string(), windowsPathOf(requestFile), windowsPathOf(answerFile)},
         .output = "/dev/null",
         .errors = errorFile},
        kProbeTimeout);
    if (result.exitCode != 0) {
        ADD_FAILURE() << probe.filename() << " failed (status " << result.exitCode
                      << (result.exitCode == -1 ? ", did not finish in time" : "")
                      << "): " << result.output << testing::readFile(errorFile);
        return std::nullopt;
    }
    return testing::readFile(answerFile);
}

} // namespace launcher::differential
