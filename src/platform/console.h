// Writes one error line, "Error: " + text + " " and a line end, to the standard
// output, whole: no character stops it. Output failures are ignored.
#pragma once

#include <string_view>

namespace launcher::platform {

void writeErrorLine(const char16_t* text) noexcept;
// Writes the text as it is to the standard error, the same way.
void writeStandardError(std::u16string_view text) noexcept;

} // namespace launcher::platform
