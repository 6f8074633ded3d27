#include "platform/dynamic_library.h"

#include "platform/win32_handles.h"

namespace launcher::platform {

void* loadLibraryForever(const WideString& path, uint32_t& error) {
    HMODULE module = LoadLibraryW(wide(path.c_str()));
    if (module == nullptr) {
        error = GetLastError();
    }
    return module;
}

void* findExport(void* library, const char* name, uint32_t& error) {
    FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
    if (address == nullptr) {
        error = GetLastError();
    }
    return reinterpret_cast<void*>(address);
}

} // namespace launcher::platform
