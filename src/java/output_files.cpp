// Dated output file names, and the folder chain a file needs.
#include "java/output_files.h"

#include "platform/file_system.h"

namespace launcher {

namespace {

constexpr char16_t kSeparator = platform::kPathSeparator;
constexpr std::u16string_view kLongPathPrefix = u"\\\\?\\";

WideString decimal(unsigned value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return WideString(digits);
}

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
    if (platform::kDriveAndNetworkRoots && path.starts_with(kLongPathPrefix)) {
        parts.prefix = WideString(kLongPathPrefix);
        path.remove_prefix(kLongPathPrefix.size());
    }
    size_t rest = 0;
    if (platform::kDriveAndNetworkRoots && path.size() > 2 && path[0] == kSeparator &&
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

void expandFileNameTime(WideString& name, const platform::LocalTime& time) {
    int32_t first = name.find(u'%');
    int32_t last = name.findLast(u'%');
    if (first == WideString::kNotFound) {
        return;
    }
    WideString pattern = first < last ? name.mid(first + 1, last - first - 1) : WideString();
    if (pattern.contains(u'L')) {
        WideString milliseconds = decimal(time.milliseconds);
        WideString filled;
        for (char16_t unit : pattern.view()) {
            if (unit == u'L') {
                filled.append(milliseconds);
            } else {
                filled.append(unit);
            }
        }
        pattern = filled;
    }
    WideString formatted =
        platform::formatDatePictures(platform::formatTimePictures(pattern, time), time);
    name = name.left(first).append(formatted).append(name.mid(last + 1));
}

uint32_t createFoldersForFile(const WideString& path) {
    if (platform::isAbsolutePath(path) && platform::directoryEntryExists(path)) {
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
        uint32_t error = platform::createFolderLevel(current, made);
        if (error == 0 || parts.network) {
            madeAbove = made;
            continue;
        }
        // Only a folder this walk made is taken back: one that was there stays.
        if (madeAbove) {
            platform::removeEmptyFolder(above);
        }
        return error;
    }
    return 0;
}

} // namespace launcher
