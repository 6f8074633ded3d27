// A whole file as bytes, the way every test reads back what a program wrote.
#pragma once

#include <filesystem>
#include <string>

namespace launcher::testing {

// The file's bytes, unchanged; empty when it cannot be read (a check on the
// content then fails with what was expected in its message).
std::string readFile(const std::filesystem::path& path);

} // namespace launcher::testing
