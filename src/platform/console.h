// Writes one error line, "Error: " + text + " " and a line end, to the standard
// output, whole: no character stops it. Output failures are ignored.
#pragma once

namespace launcher::platform {

void writeErrorLine(const char16_t* text) noexcept;

} // namespace launcher::platform
