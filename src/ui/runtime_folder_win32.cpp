// Windows: the JRE-not-found dialog, where a window can be seen at all.
#include "ui/runtime_folder.h"

#include "messages/error_output.h"
#include "ui/jre_not_found_dialog_win32.h"

#include <windows.h>

namespace launcher {

namespace {

// A service started by the service control manager runs in a window station
// without a display: a dialog there would wait for ever for a click nobody can
// make. When the question cannot be answered the launch says so and ends.
bool windowsCanBeSeen() {
    USEROBJECTFLAGS flags = {};
    if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   nullptr)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace

std::optional<ChosenRuntime> chooseRuntimeFolder(const WideString& message, JvmType type) {
    if (!windowsCanBeSeen()) {
        reportError(message);
        return std::nullopt;
    }
    ui::JreNotFoundDialog dialog(message, type);
    platform::SystemError error;
    INT_PTR result = dialog.show(error);
    if (result == -1) {
        // No display to show it on: the text is all the user gets.
        reportError(message);
        return std::nullopt;
    }
    if (result != IDOK) {
        return std::nullopt;
    }
    return dialog.choice();
}

} // namespace launcher
