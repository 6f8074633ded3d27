// Line ends of the exception text for the dialog's edit box.
#include "ui/exception_dialog.h"

namespace launcher {

WideString withWindowsLineEnds(const WideString& text) {
    std::u16string_view units = text.view();
    std::u16string lines;
    lines.reserve(units.size() + units.size() / 16);
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] == u'\n' && (i == 0 || units[i - 1] != u'\r')) {
            lines += u'\r';
        }
        lines += units[i];
    }
    return WideString(lines);
}

} // namespace launcher
