// The full path of the running executable.
#pragma once

#include "base/wide_string.h"

#include "platform/system_error.h"

namespace launcher::platform {

// Windows reads it into a buffer of 260 characters, so a longer path arrives cut.
// On failure returns false and sets `error`.
bool queryExecutablePath(WideString& path, SystemError& error);

} // namespace launcher::platform
