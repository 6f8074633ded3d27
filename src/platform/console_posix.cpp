// Standard output and error on Linux: UTF-8, written past what stdio buffers.
#include "platform/console.h"

#include "platform/posix_io.h"
#include "platform/text.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace launcher::platform {

namespace {

// Java writes to the same descriptors directly: what stdio holds goes first, and
// the text then goes straight to the descriptor, so the order of the two stays.
void writeTo(int descriptor, std::initializer_list<std::u16string_view> pieces) {
    char bytes[4096];
    size_t used = 0;
    for (std::u16string_view piece : pieces) {
        while (!piece.empty()) {
            used +=
                encodeUtf8EscapedInto(piece, std::span<char>(bytes + used, sizeof bytes - used));
            if (!piece.empty()) {
                writeAll(descriptor, std::string_view(bytes, used));
                used = 0;
            }
        }
    }
    writeAll(descriptor, std::string_view(bytes, used));
}

} // namespace

void writeStandardOutput(std::initializer_list<std::u16string_view> pieces) noexcept {
    fflush(stdout);
    writeTo(STDOUT_FILENO, pieces);
}

void writeStandardError(std::u16string_view text) noexcept {
    fflush(stderr);
    writeTo(STDERR_FILENO, {text});
}

bool standardOutputIsOpen() noexcept {
    return fcntl(STDOUT_FILENO, F_GETFD) != -1;
}

bool isWindowedProgram() noexcept {
    return false;
}

} // namespace launcher::platform
