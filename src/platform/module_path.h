// The full path of the running executable.
#pragma once

#include "core/wide_string.h"

#include <cstdint>

namespace launcher::platform {

// Windows reads it into a buffer of 260 characters, so a longer path arrives cut.
// On failure returns false and sets `error` to the system error code.
bool queryExecutablePath(WideString& path, uint32_t& error);

} // namespace launcher::platform
