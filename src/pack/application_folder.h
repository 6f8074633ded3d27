// The application folder launcher-pack writes: <Name>.exe (or the Linux <Name>),
// <Name>.ini, lib\ with the jars and optionally the private runtime jre64\.
#pragma once

#include "pack/pack_options.h"

#include <filesystem>

namespace launcher::pack {

// Checks every input first, writes the folder beside the output and renames it
// into place only when all of it succeeded; throws PackError. The folder written.
std::filesystem::path packApplication(const PackOptions& options,
                                      const std::filesystem::path& toolFolder);

// The entry point's work: the options parsed, the folder packed, one line and
// exit code 2 for bad input (1 when the work itself failed).
int packMain(const std::vector<std::string>& arguments, const std::filesystem::path& toolFolder);

// The folder of the running tool, where the launchers are by default.
std::filesystem::path runningToolFolder();

} // namespace launcher::pack
