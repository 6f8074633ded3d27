// The x86 check on Windows: the headers read through a read-only mapping.
#include "jre/image_check.h"
#include "jre/jvm_library.h"
#include "platform/win32_handles.h"

namespace launcher {

// The headers are read here rather than through Dbghelp's ImageNtHeader: that
// library would be found by the DLL search of an elevated process, so a copy
// planted beside the launcher would run with administrator rights.
bool isX86Library(const WideString& path) {
    platform::UniqueFileHandle file(CreateFileW(platform::wide(path.c_str()), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    // Sharing only for reading keeps the size fixed while the view is open.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) {
        return false; // an empty file cannot be mapped and holds no headers anyway
    }
    platform::UniqueKernelHandle mapping(
        CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) {
        return false;
    }
    platform::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) {
        return false;
    }
    return isX86PeImage(
        {static_cast<const std::byte*>(view.get()), static_cast<size_t>(size.QuadPart)});
}

uint32_t unloadableLibraryFileCode(const WideString& path) {
    // Attributes first: a folder is never opened, and a name that is no plain
    // file of a disk (a pipe, a device) is refused below by its file type.
    DWORD attributes = GetFileAttributesW(platform::wide(path.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return 0; // missing or unreadable: the loader says why
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ERROR_BAD_EXE_FORMAT;
    }
    platform::UniqueFileHandle file(CreateFileW(platform::wide(path.c_str()), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return 0;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        return ERROR_BAD_EXE_FORMAT;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
        return GetLastError();
    }
    auto fileSize = static_cast<uint64_t>(size.QuadPart);
    bool whole = peSectionsWithinFile(
        [&](uint64_t offset, std::span<std::byte> out) {
            if (offset > fileSize || out.size() > fileSize - offset) {
                return false;
            }
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD got = 0;
            return ReadFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &got, &at) &&
                   got == out.size();
        },
        fileSize);
    return whole ? 0 : ERROR_BAD_EXE_FORMAT;
}

} // namespace launcher
