// File-name wildcards (* and ?) as the file search matches them, and the folder
// chain above a file about to be written.
#include "platform/file_system.h"

namespace launcher::platform {

namespace {

constexpr char16_t kSeparator = kPathSeparator;
constexpr std::u16string_view kLongPathPrefix = u"\\\\?\\";

// A path cut into its root and the folder and file names below it.
struct PathParts {
    WideString prefix; // "\\?\", put back in front of the root
    WideString root;
    WideStringList names;
    bool network = false;
};

void splitAtSeparators(std::u16string_view text, WideStringList& names) {
    size_t start = 0;
    for (;;) {
        size_t cut = text.find(kSeparator, start);
        names.emplace_back(
            text.substr(start, cut == std::u16string_view::npos ? cut : cut - start));
        if (cut == std::u16string_view::npos) {
            return;
        }
        start = cut + 1;
    }
}

PathParts splitPath(std::u16string_view path) {
    PathParts parts;
    if (kDriveAndNetworkRoots && path.starts_with(kLongPathPrefix)) {
        parts.prefix = WideString(kLongPathPrefix);
        path.remove_prefix(kLongPathPrefix.size());
    }
    size_t rest = 0;
    if (kDriveAndNetworkRoots && path.size() > 2 && path[0] == kSeparator &&
        path[1] == kSeparator && path[2] != u'?') {
        // The share cannot be created: the root runs up to the separator after the server.
        parts.network = true;
        size_t cut = path.find(kSeparator, 2);
        parts.root = WideString(path.substr(0, cut));
        rest = cut == std::u16string_view::npos ? path.size() : cut + 1;
    } else {
        // A single leading separator stays with the first folder, which takes the
        // root's place: the folders are made where the file will be opened, not
        // below the current directory.
        size_t start = !path.empty() && path[0] == kSeparator ? 1 : 0;
        size_t cut = path.find(kSeparator, start);
        parts.root = WideString(path.substr(0, cut));
        rest = cut == std::u16string_view::npos ? path.size() : cut + 1;
    }
    if (rest < path.size()) {
        splitAtSeparators(path.substr(rest), parts.names);
    }
    return parts;
}

} // namespace

bool matchesWildcard(std::u16string_view pattern, std::u16string_view name) noexcept {
    size_t p = 0;
    size_t n = 0;
    size_t starAt = std::u16string_view::npos;
    size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::u16string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

uint32_t createFoldersForFile(const WideString& path) {
    if (isAbsolutePath(path) && directoryEntryExists(path)) {
        return 0;
    }
    PathParts parts = splitPath(path);
    WideString current = parts.prefix + parts.root;
    // The last name is the file's own.
    bool madeAbove = false;
    for (size_t level = 0; level + 1 < parts.names.size(); ++level) {
        WideString above = current;
        current.append(kSeparator).append(parts.names[level]);
        bool made = false;
        uint32_t error = createFolderLevel(current, made);
        if (error == 0 || parts.network) {
            madeAbove = made;
            continue;
        }
        // Only a folder this walk made is taken back: one that was there stays.
        if (madeAbove) {
            removeEmptyFolder(above);
        }
        return error;
    }
    return 0;
}

} // namespace launcher::platform
