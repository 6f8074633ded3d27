// Files on Windows: CreateFileW shared with writers, positioned reads, and
// MoveFileExW into place.
#include "platform/file.h"

#include "base/text_format.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/win32_handles.h"

#include <atomic>
#include <string>

namespace launcher::platform {

namespace {

HANDLE handleOf(intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

int64_t fileTime(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
}

// A plain file of a disk, a folder, or anything else (a pipe, a console, a device).
FileKind kindOf(HANDLE file, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileKind::Folder;
    }
    return GetFileType(file) == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Other;
}

} // namespace

// FILE_FLAG_BACKUP_SEMANTICS opens a folder too, so that it is told from a file
// by what it is rather than by a refusal. Opening a pipe or a device does not
// wait; reading one could, so only regular files are read.
std::optional<File> File::open(const WideString& path, SystemError& error) {
    UniqueFileHandle file(CreateFileW(wide(withLongPathPrefix(path).c_str()), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        error = SystemError::last("CreateFileW");
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    DWORD attributes = GetFileInformationByHandle(file.get(), &information)
                           ? information.dwFileAttributes
                           : FILE_ATTRIBUTE_NORMAL;
    FileKind kind = kindOf(file.get(), attributes);
    LARGE_INTEGER size{};
    if (kind == FileKind::Regular && !GetFileSizeEx(file.get(), &size)) {
        error = SystemError::last("GetFileSizeEx");
        return std::nullopt;
    }
    return File(reinterpret_cast<intptr_t>(file.release()), kind,
                static_cast<uint64_t>(size.QuadPart));
}

File::~File() {
    if (handleOf(native_) != INVALID_HANDLE_VALUE) {
        CloseHandle(handleOf(native_));
    }
}

FileIdentity File::identity() const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handleOf(native_), &information)) {
        return FileIdentity{};
    }
    FILE_BASIC_INFO basic{};
    int64_t changed = 0;
    if (GetFileInformationByHandleEx(handleOf(native_), FileBasicInfo, &basic, sizeof basic)) {
        changed = basic.ChangeTime.QuadPart;
    }
    return FileIdentity{
        information.dwVolumeSerialNumber,
        (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow,
        (static_cast<uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow,
        fileTime(information.ftLastWriteTime), changed};
}

int64_t File::readSome(uint64_t offset, std::span<std::byte> out) const {
    if (kind_ != FileKind::Regular) {
        return -1;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD wanted = out.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(out.size());
    DWORD got = 0;
    if (!ReadFile(handleOf(native_), out.data(), wanted, &got, &at)) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return got;
}

bool readFileToReplace(const WideString& path, std::string& bytes) {
    bytes.clear();
    DWORD attributes = GetFileAttributesW(wide(withLongPathPrefix(path).c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0 &&
           readWholeFile(path, bytes);
}

bool writeFileAtomically(const WideString& path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    std::u16string suffix = u"." + std::u16string(decimalText(uint64_t{currentProcessId()})) +
                            u"-" + decimalText(uint64_t{counter++}) + u".tmp";
    WideString temporary = withLongPathPrefix(path + suffix);
    bool written = false;
    {
        UniqueFileHandle file(CreateFileW(wide(temporary.c_str()), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        written = true;
        while (written && !bytes.empty()) {
            DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
            DWORD done = 0;
            written = WriteFile(file.get(), bytes.data(), chunk, &done, nullptr) && done > 0;
            bytes.remove_prefix(done);
        }
        written = written && FlushFileBuffers(file.get());
    }
    if (written && MoveFileExW(wide(temporary.c_str()), wide(withLongPathPrefix(path).c_str()),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(wide(temporary.c_str()));
    return false;
}

} // namespace launcher::platform
