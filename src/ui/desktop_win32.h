// Whether this process can show a window anybody sees.
#pragma once

#include <windows.h>

namespace launcher::ui {

// A service started by the service control manager runs in a window station
// without a display: a dialog there would wait for ever for a click nobody can
// make. When the station cannot be asked, windows are taken to be visible.
inline bool windowsCanBeSeen() {
    USEROBJECTFLAGS flags = {};
    if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   nullptr)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace launcher::ui
