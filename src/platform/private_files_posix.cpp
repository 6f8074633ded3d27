// Linux: the owner and mode bits of an entry, mkdir with mode 0700.
#include "platform/private_files.h"

#include "platform/text.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {

bool onlyThisUserMayWrite(const WideString& path) {
    struct stat status;
    if (lstat(wideToNarrow(path).c_str(), &status) != 0) {
        return false;
    }
    bool kind = S_ISREG(status.st_mode) || S_ISDIR(status.st_mode);
    return kind && status.st_uid == geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

uint32_t createPrivateFolderLevel(const WideString& path, bool& made) {
    made = false;
    if (mkdir(wideToNarrow(path).c_str(), 0700) == 0) {
        made = true;
        return 0;
    }
    int code = errno;
    struct stat status;
    if (code == EEXIST && stat(wideToNarrow(path).c_str(), &status) == 0 &&
        S_ISDIR(status.st_mode)) {
        return 0;
    }
    return static_cast<uint32_t>(code);
}

bool fileNamesEqual(std::u16string_view first, std::u16string_view second) noexcept {
    return first == second;
}

WideString foldedForFileNames(std::u16string_view text) {
    return WideString(text);
}

} // namespace launcher::platform
