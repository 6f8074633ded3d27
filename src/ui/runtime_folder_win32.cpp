// Windows: the JRE-not-found dialog, where a window can be seen at all.
#include "ui/runtime_folder.h"

#include "messages/error_output.h"
#include "ui/desktop_win32.h"
#include "ui/jre_not_found_dialog_win32.h"

#include <windows.h>

namespace launcher {

std::optional<ChosenRuntime> chooseRuntimeFolder(const WideString& message, RuntimeWanted wanted) {
    if (!ui::windowsCanBeSeen()) {
        reportError(message);
        return std::nullopt;
    }
    ui::JreNotFoundDialog dialog(message, wanted);
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
