// The failing call's code from GetLastError.
#include "platform/system_error.h"

#include <windows.h>

namespace launcher::platform {

const uint32_t kNotAnImageError = ERROR_BAD_EXE_FORMAT;
const uint32_t kIsFolderError = ERROR_ACCESS_DENIED;
const uint32_t kFolderNotAnImageError = ERROR_BAD_EXE_FORMAT;

SystemError SystemError::last(const char* call) {
    return SystemError{GetLastError(), call, {}};
}

} // namespace launcher::platform
