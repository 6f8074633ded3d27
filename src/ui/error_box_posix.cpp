// Linux: the launcher is always a console program, whose error lines stay on its output.
#include "ui/error_box.h"

namespace launcher::ui {

void showErrorLinesInABox(const WideString&) noexcept {}

void stopShowingErrorLines() noexcept {}

} // namespace launcher::ui
