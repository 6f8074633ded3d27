#include "platform/system_error.h"

#include <windows.h>

namespace launcher::platform {

uint32_t lastSystemError() noexcept {
    return GetLastError();
}

} // namespace launcher::platform
