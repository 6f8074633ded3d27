// Path text: separators, roots, and the parts of a path. Nothing here touches
// the file system.
#pragma once

#include "base/wide_string.h"

#include <string_view>

namespace launcher::platform {

// The separator of path components, and of the elements of a path list.
#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
inline constexpr char16_t kPathListSeparator = u';';
#else
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr char16_t kPathListSeparator = u':';
#endif

// Windows paths have drive and network roots and the "\\?\" prefix; elsewhere a
// leading separator is the root.
inline constexpr bool kDriveAndNetworkRoots = kPathSeparator == u'\\';

// Whether the path names its place from a root of its own: "C:\..." or "\\..."
// on Windows, "/..." elsewhere.
bool isAbsolutePath(std::u16string_view path) noexcept;
// "C:jre" or "C:": a Windows path that continues from the drive's current
// directory, which is neither absolute nor below any folder the launcher knows.
bool isDriveRelative(std::u16string_view path) noexcept;

// A path of 260 characters or more gets the "\\?\" prefix on Windows so that the
// system does not cut it ("\\?\UNC\server\share\..." for a network path
// "\\server\share\..."); elsewhere paths are used as they are.
WideString withLongPathPrefix(const WideString& path);

// The path without its last separator and what follows it; a path without a
// separator stays as it is.
WideString parentPath(const WideString& path);
// The path up to and including its last separator; empty without one.
WideString folderOf(const WideString& path);
// What follows the last separator; the whole path without one.
WideString fileNameOf(const WideString& path);
// A file name without the part from its last "." on; a name without "." stays.
WideString withoutExtension(const WideString& fileName);
// The folder with a separator at its end.
WideString withSeparator(WideString folder);

} // namespace launcher::platform
