// The one error channel: a line "Error: <text> \n" on the standard output.
#pragma once

#include "base/text_format.h"
#include "base/wide_string.h"

namespace launcher {

void reportError(const WideString& text);
void reportFormatted(std::u16string_view pattern, std::initializer_list<FormatArgument> arguments);
// Shorthand for reportFormatted of a catalogue text.
void reportMessage(uint16_t id, std::initializer_list<FormatArgument> arguments);
// The line printed for a LauncherError that escapes to the entry point; builds
// its text without allocating, since memory may be exhausted.
void reportEscapedError(uint32_t code) noexcept;

} // namespace launcher
