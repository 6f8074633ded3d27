// Path text, written once with the system's separator and roots.
#include "platform/path.h"

namespace launcher::platform {

namespace {

// The system cuts a path of MAX_PATH characters or more unless it is prefixed.
constexpr int32_t kLongestPlainPath = 260;

} // namespace

bool isAbsolutePath(std::u16string_view path) noexcept {
    if (!kDriveAndNetworkRoots) {
        return path.starts_with(u'/');
    }
    return path.starts_with(u"\\\\") ||
           (path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/'));
}

bool isDriveRelative(std::u16string_view path) noexcept {
    return kDriveAndNetworkRoots && path.size() >= 2 && path[1] == u':' && !isAbsolutePath(path);
}

// A network path \\server\share\... takes the long form \\?\UNC\server\share\...;
// a path already in the long or the device form ("\\?\", "\\.\") stays as it is.
WideString withLongPathPrefix(const WideString& path) {
    if (!kDriveAndNetworkRoots || path.length() < kLongestPlainPath ||
        path.startsWith(u"\\\\?\\") || path.startsWith(u"\\\\.\\")) {
        return path;
    }
    if (path.startsWith(u"\\\\")) {
        return WideString(u"\\\\?\\UNC").append(path.mid(1));
    }
    WideString prefixed(path);
    prefixed.prepend(u"\\\\?\\");
    return prefixed;
}

WideString parentPath(const WideString& path) {
    int32_t at = path.findLast(kPathSeparator);
    return at == WideString::kNotFound ? path : path.left(at);
}

WideString folderOf(const WideString& path) {
    return path.left(path.findLast(kPathSeparator) + 1);
}

WideString fileNameOf(const WideString& path) {
    return path.mid(path.findLast(kPathSeparator) + 1);
}

WideString withoutExtension(const WideString& fileName) {
    int32_t dot = fileName.findLast(u'.');
    return dot == WideString::kNotFound ? fileName : fileName.left(dot);
}

WideString withSeparator(WideString folder) {
    if (!folder.endsWith(kPathSeparator)) {
        folder.append(kPathSeparator);
    }
    return folder;
}

} // namespace launcher::platform
