// Files and folders on Linux: stat, opendir with sorted names, mkdir, chdir.
#include "platform/file_system.h"

#include "platform/posix_handles.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace launcher::platform {

namespace {

bool hasWildcard(std::u16string_view text) {
    return text.find_first_of(u"*?") != std::u16string_view::npos;
}

bool entryExists(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

} // namespace

bool directoryEntryExists(const WideString& path) {
    if (path.empty()) {
        return false;
    }
    bool any = false;
    searchDirectory(path, [&](const WideString&) { any = true; });
    return any;
}

// Names come back sorted, so that the order does not depend on the file system.
void searchDirectory(const WideString& pattern,
                     const std::function<void(const WideString&)>& found) {
    int32_t cut = pattern.findLast(kPathSeparator);
    WideString folder = cut == WideString::kNotFound ? WideString() : pattern.left(cut + 1);
    WideString namePattern = pattern.mid(cut + 1);
    if (namePattern.empty()) {
        return;
    }
    if (!hasWildcard(namePattern)) {
        if (entryExists(platform::wideToNarrow(pattern))) {
            found(namePattern);
        }
        return;
    }
    UniqueDirectory directory(
        opendir(folder.empty() ? "." : platform::wideToNarrow(folder).c_str()));
    if (!directory) {
        return;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(directory.get())) {
        names.emplace_back(entry->d_name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        WideString wideName = fileNameToWide(name);
        if (matchesWildcard(namePattern, wideName)) {
            found(wideName);
        }
    }
}

bool createDirectory(const WideString& path) {
    return mkdir(platform::wideToNarrow(path).c_str(), 0777) == 0;
}

uint32_t createFolderLevel(const WideString& path, bool& made) {
    made = mkdir(platform::wideToNarrow(path).c_str(), 0777) == 0;
    if (made || errno == EEXIST) {
        return 0;
    }
    return static_cast<uint32_t>(errno);
}

void removeEmptyFolder(const WideString& path) {
    rmdir(platform::wideToNarrow(path).c_str());
}

// Linux file systems keep one name per entry.
std::optional<WideString> shortPathName(const WideString&) {
    return std::nullopt;
}

bool setCurrentDirectory(const WideString& path) {
    return chdir(platform::wideToNarrow(path).c_str()) == 0;
}

WideString absolutePath(const WideString& path) {
    if (path.empty() || isAbsolutePath(path.view())) {
        return path;
    }
    std::vector<char> folder(4096);
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) {
            return WideString();
        }
        folder.resize(folder.size() * 2);
    }
    return withSeparator(fileNameToWide(folder.data())) + path;
}

std::optional<FileStamp> fileStamp(const WideString& path) {
    struct stat status;
    if (stat(wideToNarrow(path).c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileStamp{static_cast<uint64_t>(status.st_size),
                     static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 +
                         status.st_mtim.tv_nsec};
}

bool createNewFile(const WideString& path) {
    UniqueFileDescriptor file(
        open(wideToNarrow(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    return file.valid();
}

bool replaceFile(const WideString& from, const WideString& to) {
    return std::rename(wideToNarrow(from).c_str(), wideToNarrow(to).c_str()) == 0;
}

bool removeFile(const WideString& path) {
    return unlink(wideToNarrow(path).c_str()) == 0;
}

} // namespace launcher::platform
