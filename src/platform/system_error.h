// The calling thread's last system error code (GetLastError, or errno).
#pragma once

#include <cstdint>

namespace launcher::platform {

uint32_t lastSystemError() noexcept;

} // namespace launcher::platform
