// The process environment.
#pragma once

#include "core/wide_string.h"

namespace launcher::platform {

// False when the variable is not set.
bool getEnvironmentVariable(std::u16string_view name, WideString& value);
bool setEnvironmentVariable(std::u16string_view name, const WideString& value);

} // namespace launcher::platform

#include <functional>

namespace launcher::platform {

// Replaces %NAME% references with the variables' values, by the rules of
// Windows' ExpandEnvironmentStringsW: an undefined name stays as written and its
// closing '%' may open the next reference; a lone '%' stays. When the system
// call fails the text stays unchanged.
void expandEnvironmentText(WideString& text);

// The portable form of those rules, with the variables looked up by `lookup`.
WideString expandReferences(std::u16string_view text,
                            const std::function<bool(std::u16string_view, WideString&)>& lookup);

} // namespace launcher::platform
