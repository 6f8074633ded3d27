#include "platform/system_error.h"

#include <cerrno>

namespace launcher::platform {

uint32_t lastSystemError() noexcept {
    return static_cast<uint32_t>(errno);
}

} // namespace launcher::platform
