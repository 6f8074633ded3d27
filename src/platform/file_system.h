// Files and folders: existence by directory search, wildcard searches, folders.
#pragma once

#include "base/wide_string.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace launcher::platform {

// The separator of path components: '\' on Windows, '/' elsewhere.
#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
inline constexpr char16_t kPathListSeparator = u';';
#else
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr char16_t kPathListSeparator = u':';
#endif

// Whether a directory search for the exact path finds an entry (file or folder).
bool directoryEntryExists(const WideString& path);

// Searches a pattern whose last component may hold '*' and '?' and calls `found`
// with each matching name (without folder) in the platform's order.
void searchDirectory(const WideString& pattern,
                     const std::function<void(const WideString&)>& found);

// Creates one folder; false when it could not be made (an existing one included).
bool createDirectory(const WideString& path);

// One folder level for a file about to be written: 0 when it was made (`made`
// set) or already exists, else the system error code.
uint32_t createFolderLevel(const WideString& path, bool& made);
// Removes a folder if it is empty; anything else stays.
void removeEmptyFolder(const WideString& path);

// Whether the path names its place from a root of its own: "C:..." or "\\..."
// on Windows, "/..." elsewhere.
bool isAbsolutePath(std::u16string_view path) noexcept;
// Windows paths have drive and network roots and the "\\?\" prefix; elsewhere a
// leading separator is the root.
inline constexpr bool kDriveAndNetworkRoots = kPathSeparator == u'\\';

bool setCurrentDirectory(const WideString& path);

// What tells one version of a file from another without reading it.
struct FileStamp {
    uint64_t size = 0;
    int64_t modified = 0; // in the system's own unit
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// Nothing when the entry cannot be examined.
std::optional<FileStamp> fileStamp(const WideString& path);
// Creates an empty file that did not exist; false when it exists or cannot be made.
bool createNewFile(const WideString& path);
// Puts `from` in the place of `to`, replacing a file there; false when it cannot.
bool replaceFile(const WideString& from, const WideString& to);
bool removeFile(const WideString& path);

} // namespace launcher::platform

namespace launcher::platform {

// '*' matches any run of characters, '?' exactly one; everything else itself.
bool matchesWildcard(std::u16string_view pattern, std::u16string_view name) noexcept;

} // namespace launcher::platform

namespace launcher::platform {

// A path of 260 characters or more gets the "\\?\" prefix on Windows so that the
// system does not cut it ("\\?\UNC\server\share\..." for a network path
// "\\server\share\..."); elsewhere paths are used as they are.
WideString withLongPathPrefix(const WideString& path);

} // namespace launcher::platform

namespace launcher::platform {

// Whether a path written in an INI file is relative to the launcher's folder.
// Windows: shorter than two characters, or neither a drive ("C:") nor a network
// path ("\\server"). Elsewhere: not beginning with '/', so that an entry written
// for Windows such as \lib\*.jar stays relative.
bool isRelativeEntry(std::u16string_view path) noexcept;

// Windows paths as written in an INI file, with this system's separators.
void useNativeSeparators(WideString& path);

} // namespace launcher::platform
