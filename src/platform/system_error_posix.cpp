// The failing call's code from errno.
#include "platform/system_error.h"

#include <cerrno>

namespace launcher::platform {

const uint32_t kNotAnImageError = ENOEXEC;
const uint32_t kIsFolderError = EISDIR;
const uint32_t kFolderNotAnImageError = EISDIR;

SystemError SystemError::last(const char* call) {
    return SystemError{static_cast<uint32_t>(errno), call, {}};
}

} // namespace launcher::platform
