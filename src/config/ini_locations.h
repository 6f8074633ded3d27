// The system-specific parts of the INI locations.
#pragma once

#include "base/wide_string.h"

namespace launcher {

// The INI path of a program: the part after the last "." replaced by "ini".
// False when there is no "." (on systems whose programs carry no extension, such
// a program's INI is its path plus ".ini").
bool iniPathOf(const WideString& programPath, WideString& iniPath);

// The folder per-user settings go under ("APPDATA" on Windows; empty when unset,
// and then there is no per-user file).
WideString applicationDataFolder();

} // namespace launcher
