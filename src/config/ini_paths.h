// Where the INI files are, and the one value the launcher writes back: "JRE Path".
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"

#include <string_view>

namespace launcher {

// The executable's full path; reports message 202 with 208 when unavailable.
bool executablePath(WideString& path);
// The executable's path with the part after its last "." replaced by "ini".
bool mainIniPath(WideString& path);
// The per-user INI of a program: application data, product folder, product code,
// and the program's file name with ".ini"; optionally creating the two folders.
// Empty, with nothing created, when there is no application data folder.
WideString perUserIniPath(const LauncherSettings& settings, const WideString& programPath,
                          bool createFolders);
WideString ownPerUserIniPath(const LauncherSettings& settings, bool createFolders);
WideString companionPerUserIniPath(const LauncherSettings& settings);
bool companionIniPath(const LauncherSettings& settings, WideString& path);
// Puts an INI file into the trace: its role ("main", "per-user"), its path, and
// whether it is there and can be read.
void traceIniFile(std::string_view role, const WideString& path);
// Whether a directory search for the path finds an entry, file or folder.
bool fileExists(const WideString& path);

// "JRE Path" from the file the launcher keeps it in.
WideString readJrePath(const LauncherSettings& settings);
// Keeps a runtime folder the user chose as "JRE Path" for later starts.
void saveJrePath(const LauncherSettings& settings, const WideString& folder);

// The product folder name: "Product Name" without the characters no folder name may hold.
WideString productFolderName(const WideString& productName);

inline constexpr char16_t kJreSection[] = u"Java Runtime Environment";
inline constexpr char16_t kJrePathKey[] = u"JRE Path";

} // namespace launcher
