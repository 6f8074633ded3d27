// The failing call's code from GetLastError.
#include "platform/system_error.h"

#include <windows.h>

namespace launcher::platform {

SystemError SystemError::last(const char* call) {
    return SystemError{GetLastError(), call, {}};
}

} // namespace launcher::platform
