// Windows: the box of the windowed launcher, built without allocating (the line
// may report that memory is exhausted).
#include "ui/error_box.h"

#include "messages/error_output.h"
#include "platform/console.h"
#include "ui/desktop_win32.h"

#include <algorithm>
#include <windows.h>

namespace launcher::ui {

namespace {

constexpr size_t kLongestCaption = 260;
constexpr size_t kLongestText = 2048;

// Written once before the first box, read when a line is shown.
wchar_t caption[kLongestCaption + 1] = {};

// Copies at most `limit` units and ends them with a NUL.
void copyTerminated(std::u16string_view text, wchar_t* to, size_t limit) {
    size_t count = std::min(text.size(), limit);
    std::copy_n(text.begin(), count, to);
    to[count] = L'\0';
}

void showErrorBox(std::u16string_view text) noexcept {
    // A service's station has no display: a box there would wait for ever.
    if (!windowsCanBeSeen()) {
        return;
    }
    wchar_t shown[kLongestText + 1];
    copyTerminated(text, shown, kLongestText);
    MessageBoxW(nullptr, shown, caption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

} // namespace

void showErrorLinesInABox(const WideString& title) noexcept {
    if (!platform::isWindowedProgram()) {
        return;
    }
    copyTerminated(title.view(), caption, kLongestCaption);
    setErrorDisplay(&showErrorBox);
}

void stopShowingErrorLines() noexcept {
    setErrorDisplay(nullptr);
}

} // namespace launcher::ui
