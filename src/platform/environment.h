// The process environment.
#pragma once

#include "core/wide_string.h"

namespace launcher::platform {

// False when the variable is not set.
bool getEnvironmentVariable(std::u16string_view name, WideString& value);
bool setEnvironmentVariable(std::u16string_view name, const WideString& value);

} // namespace launcher::platform
