// Runs a program of the build machine (cmake, openssl, scripts/sign) from a test.
#pragma once

#include <string>
#include <vector>

namespace launcher::testing {

struct CommandResult {
    int exitCode = -1;  // -1: did not start or did not exit normally
    std::string output; // standard output and standard error, interleaved
};

// Runs `arguments[0]`, found on PATH, with the rest as its arguments, and waits for it.
CommandResult runCommand(const std::vector<std::string>& arguments);

// The arguments joined by spaces, for a failure message.
std::string commandLine(const std::vector<std::string>& arguments);

} // namespace launcher::testing
