// The process environment.
#pragma once

#include "base/wide_string.h"

#include <functional>

namespace launcher::platform {

// False when the variable is not set.
bool getEnvironmentVariable(std::u16string_view name, WideString& value);
bool setEnvironmentVariable(std::u16string_view name, const WideString& value);
bool removeEnvironmentVariable(std::u16string_view name);

// The variable that holds the program search path.
#if defined(_WIN32)
inline constexpr char16_t kSearchPathVariable[] = u"Path";
#else
inline constexpr char16_t kSearchPathVariable[] = u"PATH";
#endif

// Replaces %NAME% references with the variables' values, by the rules of
// Windows' ExpandEnvironmentStringsW: an undefined name stays as written, both
// '%' included, and the scan goes on after it; a lone '%' stays. When the system
// call fails, or the result would not fit its 32,767 characters, the text stays
// unchanged.
void expandEnvironmentText(WideString& text);

// The portable form of those rules, with the variables looked up by `lookup`.
WideString expandReferences(std::u16string_view text,
                            const std::function<bool(std::u16string_view, WideString&)>& lookup);

} // namespace launcher::platform
