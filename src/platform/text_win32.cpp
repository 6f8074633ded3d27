// Narrow text on Windows: the thread's ANSI code page.
#include "platform/text.h"

#include "base/launcher_error.h"

#include <windows.h>

namespace launcher::platform {

WideString narrowToWide(std::string_view narrow) {
    if (narrow.empty() || narrow.size() > 0x7FFFFFFF) {
        return WideString();
    }
    int size = static_cast<int>(narrow.size());
    int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), size, nullptr, 0);
    if (needed <= 0) {
        return WideString();
    }
    std::u16string wide(static_cast<size_t>(needed), u'\0');
    int written = MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), size,
                                      reinterpret_cast<wchar_t*>(wide.data()), needed);
    if (written <= 0) {
        return WideString();
    }
    wide.resize(static_cast<size_t>(written));
    return WideString(std::u16string_view(wide));
}

std::string wideToNarrow(std::u16string_view wide) {
    if (wide.empty() || wide.size() > 0x7FFFFFFF) {
        return std::string();
    }
    auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    int size = static_cast<int>(wide.size());
    int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, units, size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(needed), '\0');
    int written =
        WideCharToMultiByte(CP_THREAD_ACP, 0, units, size, narrow.data(), needed, nullptr, nullptr);
    narrow.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return narrow;
}

// A round trip rather than the converter's used-default flag: that flag is not
// available for the UTF-8 code page, and best-fit mappings (an A for an A with a
// macron) do not raise it either.
bool narrowKeeps(std::u16string_view wide) {
    return narrowToWide(wideToNarrow(wide)).view() == wide;
}

WideString fileNameToWide(std::string_view name) {
    return narrowToWide(name);
}

} // namespace launcher::platform
