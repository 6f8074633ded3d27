// Windows: dialog 231, with the exception's text in its edit box.
#include "ui/exception_dialog.h"

#include "platform/console.h"
#include "ui/desktop_win32.h"
#include "ui/resource_ids.h"

#include <windows.h>

namespace launcher {

namespace {

INT_PTR CALLBACK exceptionDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* text = reinterpret_cast<const WideString*>(lParam);
        SetDlgItemTextW(dialog, LAUNCHER_EXCEPTION_TEXT, reinterpret_cast<LPCWSTR>(text->c_str()));
        // The default button has the focus, so that Enter ignores; the text is
        // not selected.
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

// Runs on the application thread, which has no window of its own: the dialog
// is owned by nobody and brings its own message loop.
bool askToStopOnException(const WideString& exceptionText) {
    if (ui::windowsCanBeSeen()) {
        WideString text = withWindowsLineEnds(exceptionText);
        INT_PTR answer =
            DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(LAUNCHER_EXCEPTION_DIALOG),
                            nullptr, exceptionDialogProcedure, reinterpret_cast<LPARAM>(&text));
        if (answer == IDOK || answer == IDCANCEL) {
            return answer == IDCANCEL;
        }
    }
    // No window to ask in (or none could be made): the text is all there is to say.
    platform::writeStandardError(exceptionText.view());
    return false;
}

} // namespace launcher
