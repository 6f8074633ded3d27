// Writes one error line, "Error: " + text + " \n", to the standard output in a
// single locked write of the C runtime. Output failures are ignored.
#pragma once

namespace launcher::platform {

void writeErrorLine(const char16_t* text) noexcept;

} // namespace launcher::platform
