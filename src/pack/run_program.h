// Another program run to its end, as jlink and jdeps are: its exit code and what
// it printed on standard output.
#pragma once

#include <string>
#include <vector>

namespace launcher::pack {

struct ProgramResult {
    int exitCode = -1; // -1: it could not be started
    std::string output;
};

// `arguments[0]` is the program's path; the arguments reach it as given.
ProgramResult runProgram(const std::vector<std::string>& arguments);

} // namespace launcher::pack
