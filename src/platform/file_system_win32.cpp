// Files and folders on Windows: FindFirstFileW, CreateDirectoryW and the long-path prefix.
#include "platform/file_system.h"

#include "platform/win32_handles.h"

#include <string>

namespace launcher::platform {

bool directoryEntryExists(const WideString& path) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle search(FindFirstFileW(wide(path.c_str()), &data));
    return search.valid();
}

void searchDirectory(const WideString& pattern,
                     const std::function<void(const WideString&)>& found) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle search(FindFirstFileW(wide(pattern.c_str()), &data));
    if (!search) {
        return;
    }
    do {
        found(WideString(reinterpret_cast<const char16_t*>(data.cFileName)));
    } while (FindNextFileW(search.get(), &data));
}

bool createDirectory(const WideString& path) {
    return CreateDirectoryW(wide(path.c_str()), nullptr) != 0;
}

uint32_t createFolderLevel(const WideString& path, bool& made) {
    made = CreateDirectoryW(wide(path.c_str()), nullptr) != 0;
    if (made) {
        return 0;
    }
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS ? 0 : error;
}

void removeEmptyFolder(const WideString& path) {
    RemoveDirectoryW(wide(withLongPathPrefix(path).c_str()));
}

std::optional<WideString> shortPathName(const WideString& path) {
    std::wstring buffer;
    for (DWORD size = MAX_PATH;;) {
        buffer.assign(size, L'\0');
        DWORD needed = GetShortPathNameW(wide(path.c_str()), buffer.data(), size);
        if (needed == 0) {
            return std::nullopt;
        }
        if (needed < size) {
            buffer.resize(needed);
            return WideString(reinterpret_cast<const char16_t*>(buffer.c_str()));
        }
        size = needed; // the size asked for includes the terminating zero
    }
}

bool setCurrentDirectory(const WideString& path) {
    return SetCurrentDirectoryW(wide(path.c_str())) != 0;
}

WideString absolutePath(const WideString& path) {
    if (path.empty()) {
        return path;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFullPathNameW(wide(path.c_str()), static_cast<DWORD>(full.size()),
                                        full.data(), nullptr);
        if (length == 0) {
            return WideString();
        }
        if (length < full.size()) {
            full.resize(length);
            return WideString(reinterpret_cast<const char16_t*>(full.c_str()));
        }
        full.assign(length, L'\0');
    }
}

std::optional<FileStamp> fileStamp(const WideString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide(withLongPathPrefix(path).c_str()), GetFileExInfoStandard,
                              &data)) {
        return std::nullopt;
    }
    auto join = [](DWORD high, DWORD low) {
        return (static_cast<uint64_t>(high) << 32) | low;
    };
    return FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                     static_cast<int64_t>(join(data.ftLastWriteTime.dwHighDateTime,
                                               data.ftLastWriteTime.dwLowDateTime))};
}

bool createNewFile(const WideString& path) {
    UniqueFileHandle file(CreateFileW(wide(withLongPathPrefix(path).c_str()), GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

bool replaceFile(const WideString& from, const WideString& to) {
    return MoveFileExW(wide(withLongPathPrefix(from).c_str()), wide(withLongPathPrefix(to).c_str()),
                       MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const WideString& path) {
    return DeleteFileW(wide(withLongPathPrefix(path).c_str())) != 0;
}

} // namespace launcher::platform
