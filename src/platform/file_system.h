// Files and folders: existence by directory search, wildcard searches, folders.
#pragma once

#include "base/wide_string.h"
#include "platform/path.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace launcher::platform {

// Whether a directory search for the exact path finds an entry (file or folder).
bool directoryEntryExists(const WideString& path);

// Searches a pattern whose last component may hold '*' and '?' and calls `found`
// with each matching name (without folder) in the platform's order.
void searchDirectory(const WideString& pattern,
                     const std::function<void(const WideString&)>& found);

// '*' matches any run of characters, '?' exactly one; everything else itself.
bool matchesWildcard(std::u16string_view pattern, std::u16string_view name) noexcept;

// Creates one folder; false when it could not be made (an existing one included).
bool createDirectory(const WideString& path);

// One folder level for a file about to be written: 0 when it was made (`made`
// set) or already exists, else the system error code.
uint32_t createFolderLevel(const WideString& path, bool& made);
// Removes a folder if it is empty; anything else stays.
void removeEmptyFolder(const WideString& path);

// Creates the missing folders above the file, level by level below its root
// (which is never created). 0 on success or when nothing had to be done, else the
// system error code of the folder that could not be made.
uint32_t createFoldersForFile(const WideString& path);

// The path in the form the file system keeps for programs that cannot take its
// long names (8.3 names on Windows): nothing where it has none (Linux) or the
// entry cannot be found. A component without a short name stays as it is.
std::optional<WideString> shortPathName(const WideString& path);

bool setCurrentDirectory(const WideString& path);
// The path from a root: a relative one is read against the current directory now,
// so that it means the same later, from anywhere. Empty when that cannot be told.
WideString absolutePath(const WideString& path);

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
