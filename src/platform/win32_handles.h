// Owners of the Windows handles the launcher holds.
#pragma once

#include "platform/unique_handle.h"

#include <windows.h>

namespace launcher::platform {

struct KernelHandleTraits { // CreateThread, CreateProcessW, CreateEventW, CreateFileMappingW,
                            // OpenProcess
    using Type = HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type handle) noexcept { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct FileHandleTraits { // CreateFileW reports failure with INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) noexcept { CloseHandle(handle); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) noexcept { FindClose(handle); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

// Memory the system allocated for the caller (FormatMessageW, security descriptors).
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type memory) noexcept { LocalFree(memory); }
};
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

struct MappedViewTraits {
    using Type = const void*;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type view) noexcept { UnmapViewOfFile(view); }
};
using UniqueMappedView = UniqueHandle<MappedViewTraits>;

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type key) noexcept { RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;

inline const wchar_t* wide(const char16_t* text) noexcept {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* wide(char16_t* text) noexcept {
    return reinterpret_cast<wchar_t*>(text);
}

} // namespace launcher::platform
