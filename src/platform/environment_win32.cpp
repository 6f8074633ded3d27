#include "platform/environment.h"

#include "platform/win32_handles.h"

#include <string>

namespace launcher::platform {

bool getEnvironmentVariable(std::u16string_view name, WideString& value) {
    std::u16string key(name);
    std::u16string buffer(256, u'\0');
    for (;;) {
        SetLastError(0);
        DWORD length = GetEnvironmentVariableW(wide(key.c_str()), wide(buffer.data()),
                                               static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return false;
            }
            value = WideString();
            return true;
        }
        if (length < buffer.size()) {
            value = WideString(std::u16string_view(buffer.data(), length));
            return true;
        }
        buffer.resize(length);
    }
}

bool setEnvironmentVariable(std::u16string_view name, const WideString& value) {
    std::u16string key(name);
    return SetEnvironmentVariableW(wide(key.c_str()), wide(value.c_str())) != 0;
}

} // namespace launcher::platform
