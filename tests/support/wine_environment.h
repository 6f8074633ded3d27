// What every Windows program of the tests runs with under Wine, driven from Linux.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace launcher::testing {

// The variables for a Windows program in `prefix`: Wine's own messages off, and
// no offer to install Mono or Gecko, whose dialog would wait for an answer.
std::map<std::string, std::string> wineEnvironment(const std::filesystem::path& prefix);

// The prefix's folder of the user the tests run as ("C:\users\<name>"): Wine
// names it after the Linux user.
std::filesystem::path wineUserFolder(const std::filesystem::path& prefix);

// The path under which Wine shows a Linux path to Windows programs (drive Z: is /).
std::string windowsPathOf(const std::filesystem::path& path);

} // namespace launcher::testing
