// The Windows catalogue: the executable's string-table resource.
#include "messages/message_catalogue.h"

#include <windows.h>

namespace launcher {

namespace {

// The string-table block that holds `id`, in the executable's own resources.
std::span<const char16_t> findStringBlock(HMODULE module, uint16_t id) {
    HRSRC resource =
        FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(id / 16 + 1),
                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (resource == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded == nullptr ? nullptr : LockResource(loaded);
    if (data == nullptr) {
        return {};
    }
    DWORD bytes = SizeofResource(module, resource);
    return {static_cast<const char16_t*>(data), bytes / sizeof(char16_t)};
}

} // namespace

WideString MessageCatalogue::load(uint16_t id) {
    return WideString(stringBlockEntry(findStringBlock(nullptr, id), id % 16));
}

} // namespace launcher
