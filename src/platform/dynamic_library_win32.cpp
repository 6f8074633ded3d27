// Libraries through LoadLibraryW and GetProcAddress.
#include "platform/dynamic_library.h"

#include "platform/win32_handles.h"

namespace launcher::platform {

void* loadLibraryForever(const WideString& path, SystemError& error) {
    HMODULE module = LoadLibraryW(wide(path.c_str()));
    if (module == nullptr) {
        error = SystemError::last("LoadLibraryW");
    }
    return module;
}

void* findExport(void* library, const char* name, SystemError& error) {
    FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
    if (address == nullptr) {
        error = SystemError::last("GetProcAddress");
    }
    return reinterpret_cast<void*>(address);
}

} // namespace launcher::platform
