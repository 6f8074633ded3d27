// The error lines of a windowed program started without a console: nobody would
// read them on its standard output, so they are shown in a message box.
#pragma once

#include "base/wide_string.h"

namespace launcher::ui {

// From now on, in a windowed program, error lines that standard output cannot
// carry appear in a box titled `caption` (the product's or the program's name);
// elsewhere nothing changes. Calling it again changes the title.
void showErrorLinesInABox(const WideString& caption) noexcept;
// In service mode nobody is there to answer a box: such lines are dropped.
void stopShowingErrorLines() noexcept;

} // namespace launcher::ui
