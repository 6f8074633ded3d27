// Conversions between UTF-16 and the system's narrow encodings.
#pragma once

#include "base/wide_string.h"

#include <string>
#include <string_view>

namespace launcher::platform {

// Narrow text in the thread's ANSI code page (Windows) or UTF-8 (elsewhere).
// Text that converts to nothing gives the empty string.
WideString narrowToWide(std::string_view narrow);
// Characters without a mapping become the code page's default character.
std::string wideToNarrow(std::u16string_view wide);

// UTF-8 conversions, used where a file or a protocol is UTF-8 on every system.
// Damaged input gives the replacement characters the Windows converter gives.
WideString utf8ToWide(std::string_view utf8);
// The same, telling whether the input was valid UTF-8.
std::u16string decodeUtf8(std::string_view bytes, bool& valid);
std::string wideToUtf8(std::u16string_view wide);

} // namespace launcher::platform
