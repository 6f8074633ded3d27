// Error lines on Windows: the C runtime's wide output, flushed after each line.
#include "platform/console.h"

#include <cstdio>

namespace launcher::platform {

void writeErrorLine(const char16_t* text) noexcept {
    // The runtime converts the wide characters and, in text mode, the line feed.
    fwprintf(stdout, L"Error: %ls \n", reinterpret_cast<const wchar_t*>(text));
    // Java writes to the same handle directly; keep the order of the two.
    fflush(stdout);
}

} // namespace launcher::platform
