// The executable's path on Windows: GetModuleFileNameW.
#include "platform/module_path.h"

#include "platform/win32_handles.h"

namespace launcher::platform {

bool queryExecutablePath(WideString& path, SystemError& error) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0) {
        error = SystemError::last("GetModuleFileNameW");
        return false;
    }
    path = WideString(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), length));
    return true;
}

} // namespace launcher::platform
