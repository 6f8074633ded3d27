// Raising LauncherError out of line, so that callers stay small.
#include "base/launcher_error.h"

namespace launcher {

void raiseLauncherError(uint32_t code) {
    throw LauncherError(code);
}

} // namespace launcher
