// The JRE-not-found dialog: tells which runtime to install, links to a download
// page and lets the user browse for a runtime that is already installed.
#pragma once

#include "base/wide_string.h"
#include "config/jvm_type.h"
#include "jre/runtime_search.h"
#include "platform/system_error.h"
#include "ui/hyperlink_control_win32.h"

#include <windows.h>

namespace launcher::ui {

class JreNotFoundDialog {
  public:
    JreNotFoundDialog(WideString message, RuntimeWanted wanted)
        : message_(std::move(message)), wanted_(wanted) {}
    JreNotFoundDialog(const JreNotFoundDialog&) = delete;
    JreNotFoundDialog& operator=(const JreNotFoundDialog&) = delete;

    // Runs the dialog modally, owned by the thread's active window: IDOK or
    // IDCANCEL, or -1 with `error` set when the dialog could not be created.
    INT_PTR show(platform::SystemError& error);
    // After IDOK: the chosen folder (with its separator) and its JVM library.
    const ChosenRuntime& choice() const noexcept { return choice_; }

  private:
    static INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void initialise();
    void centre();
    void browseForRuntime();
    void showChoice(const WideString& path);

    WideString message_;
    RuntimeWanted wanted_;
    ChosenRuntime choice_;
    HWND dialog_ = nullptr;
    HyperlinkControl link_;
};

} // namespace launcher::ui
