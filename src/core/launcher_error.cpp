#include "core/launcher_error.h"

namespace launcher {

void raiseLauncherError(uint32_t code) {
    throw LauncherError(code);
}

uint32_t launcherErrorFromErrno(int errnoValue) noexcept {
    switch (errnoValue) {
    case 0:
    case 80:
        return 0;
    case 12:
        return kErrorOutOfMemory;
    case 22:
    case 34:
        return kErrorInvalidArgument;
    default:
        return kErrorFail;
    }
}

} // namespace launcher
