// The JRE-not-found dialog: initialisation, the folder browser and the OK rule.
#include "ui/jre_not_found_dialog_win32.h"

#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/win32_handles.h"
#include "ui/dialog_geometry.h"
#include "ui/resource_ids.h"
#include "ui/runtime_folder.h"

#include <commctrl.h>
#include <shlobj.h>

namespace launcher::ui {

namespace {

ScreenRect screenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace

INT_PTR JreNotFoundDialog::show(platform::SystemError& error) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    SetLastError(0);
    INT_PTR result = DialogBoxParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(LAUNCHER_JRE_NOT_FOUND_DIALOG),
        GetActiveWindow(), &JreNotFoundDialog::dialogProcedure, reinterpret_cast<LPARAM>(this));
    if (result == -1 || result == 0) {
        error = platform::SystemError::last("DialogBoxParamW");
        return -1;
    }
    return result;
}

INT_PTR CALLBACK JreNotFoundDialog::dialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<JreNotFoundDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->dialog_ = dialog;
        self->initialise();
        return TRUE;
    }
    auto* self = reinterpret_cast<JreNotFoundDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr || message != WM_COMMAND) {
        return FALSE;
    }
    // Commands go by control id alone, whatever the notification.
    switch (LOWORD(wParam)) {
    case LAUNCHER_BROWSE_BUTTON:
        self->browseForRuntime();
        return TRUE;
    case IDOK:
        // Enter reaches here too; only a folder with a JVM library ends the dialog.
        if (!self->choice_.jvmLibraryPath.empty()) {
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

void JreNotFoundDialog::initialise() {
    HWND link = GetDlgItem(dialog_, LAUNCHER_DOWNLOAD_LINK);
    link_.setNormalFont(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
    link_.attach(link);
    SetDlgItemTextW(dialog_, LAUNCHER_MESSAGE_TEXT, platform::wide(message_.c_str()));
    EnableWindow(GetDlgItem(dialog_, IDOK), FALSE);
    centre();
}

void JreNotFoundDialog::centre() {
    RECT window = {};
    GetWindowRect(dialog_, &window);
    HWND owner = GetWindow(dialog_, GW_OWNER);
    bool onOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
    HMONITOR monitor = MonitorFromWindow(onOwner ? owner : dialog_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    }
    RECT reference = info.rcWork;
    if (onOwner) {
        GetWindowRect(owner, &reference);
    }
    int32_t x = 0;
    int32_t y = 0;
    centreWithin(screenRect(window), screenRect(reference), screenRect(info.rcWork), x, y);
    SetWindowPos(dialog_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void JreNotFoundDialog::browseForRuntime() {
    ComApartment apartment;
    WideString title = MessageCatalogue::load(msg::kBrowseForJre);
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW browse = {};
    browse.hwndOwner = dialog_;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = platform::wide(title.c_str());
    // File-system folders only, the resizable browser, no "Make New Folder".
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    UniqueItemIdList selection(SHBrowseForFolderW(&browse));
    if (!selection) {
        return;
    }
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(selection.get(), path)) {
        choice_ = ChosenRuntime();
        EnableWindow(GetDlgItem(dialog_, IDOK), FALSE);
        return;
    }
    showChoice(WideString(reinterpret_cast<const char16_t*>(path)));
}

void JreNotFoundDialog::showChoice(const WideString& path) {
    SetDlgItemTextW(dialog_, LAUNCHER_RUNTIME_FOLDER_EDIT, platform::wide(path.c_str()));
    choice_ = probeRuntimeFolder(path, wanted_);
    EnableWindow(GetDlgItem(dialog_, IDOK), !choice_.jvmLibraryPath.empty());
}

} // namespace launcher::ui
