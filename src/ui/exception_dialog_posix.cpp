// Linux: no window to ask in; the text goes to the standard error.
#include "ui/exception_dialog.h"

#include "platform/console.h"

namespace launcher {

bool askToStopOnException(const WideString& exceptionText) {
    platform::writeStandardError(exceptionText.view());
    return false;
}

} // namespace launcher
