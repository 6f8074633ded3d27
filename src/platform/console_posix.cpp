// Error lines on Linux: one UTF-8 write to standard output.
#include "platform/console.h"

#include "platform/text.h"

#include <cstdio>
#include <string>

namespace launcher::platform {

void writeErrorLine(const char16_t* text) noexcept {
    try {
        std::string narrow = wideToNarrow(std::u16string_view(text));
        fprintf(stdout, "Error: %s \n", narrow.c_str());
    } catch (...) {
        fputs("Error:  \n", stdout); // nothing left to convert with
    }
    // Java writes to the same descriptor directly; keep the order of the two.
    fflush(stdout);
}

void writeStandardError(std::u16string_view text) noexcept {
    try {
        std::string narrow = wideToNarrow(text);
        fwrite(narrow.data(), 1, narrow.size(), stderr);
    } catch (...) {
    }
    fflush(stderr);
}

} // namespace launcher::platform
