// The environment on Windows, through the Win32 calls.
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

bool removeEnvironmentVariable(std::u16string_view name) {
    std::u16string key(name);
    return SetEnvironmentVariableW(wide(key.c_str()), nullptr) != 0;
}

void expandEnvironmentText(WideString& text) {
    // Beyond its limit the call cuts the result but still reports the full size.
    constexpr DWORD kLargestResult = 32767;
    DWORD needed = ExpandEnvironmentStringsW(wide(text.c_str()), nullptr, 0);
    if (needed == 0 || needed > kLargestResult) {
        return;
    }
    std::wstring buffer(needed, L'\0');
    DWORD written = ExpandEnvironmentStringsW(wide(text.c_str()), buffer.data(), needed);
    if (written == 0 || written > needed) {
        return;
    }
    text = WideString(reinterpret_cast<const char16_t*>(buffer.c_str()));
}

} // namespace launcher::platform
