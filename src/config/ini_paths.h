// Where the INI files are, how a path written in one is read, and the one value
// the launcher writes back: "JRE Path".
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "config/run_context.h"

#include <string_view>

namespace launcher {

// The INI path of a program: the part after the last "." replaced by "ini".
// False when there is no "." (on systems whose programs carry no extension, such
// a program's INI is its path plus ".ini").
bool iniPathOf(const WideString& programPath, WideString& iniPath);
// The per-user INI of a program: the user's settings folder, product folder,
// product code, and the program's file name with ".ini"; optionally creating the
// two folders. Empty, with nothing created, when there is no user settings folder.
WideString perUserIniPath(const LauncherSettings& settings, const WideString& programPath,
                          bool createFolders = false);
WideString companionPerUserIniPath(const LauncherSettings& settings);
bool companionIniPath(const LauncherSettings& settings, WideString& path);
// Creates the product and product-code folders the per-user INI lies in.
void createPerUserFolders(const WideString& perUserIni);
// Puts an INI file into the trace: its role ("main", "per-user"), its path, and
// whether it is there and can be read.
void traceIniFile(std::string_view role, const WideString& path);
// Whether a directory search for the path finds an entry, file or folder.
bool fileExists(const WideString& path);

// "JRE Path" from the file the launcher keeps it in.
WideString readJrePath(const LauncherSettings& settings, const RunContext& context);
// Keeps a runtime folder the user chose as "JRE Path" for later starts.
void saveJrePath(const LauncherSettings& settings, const RunContext& context,
                 const WideString& folder);

// The product folder name: "Product Name" without the characters no folder name may hold.
WideString productFolderName(const WideString& productName);

// Whether a path written in an INI file is relative to the launcher's folder.
// Windows: shorter than two characters, or neither a drive ("C:") nor a network
// path ("\\server"). Elsewhere: not beginning with '/', so that an entry written
// for Windows such as \lib\*.jar stays relative.
bool isRelativeEntry(std::u16string_view path) noexcept;
// Windows paths as written in an INI file, with this system's separators.
void useNativeSeparators(WideString& path);

} // namespace launcher
