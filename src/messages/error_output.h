// The one error channel: a line "Error: <text> \n" on the standard output, or,
// where that output leads nowhere (a windowed program without a console), the
// text shown by the display the program set.
#pragma once

#include "base/launcher_error.h"
#include "base/text_format.h"
#include "base/wide_string.h"

#include <new>

namespace launcher {

void reportError(const WideString& text);
void reportFormatted(std::u16string_view pattern, std::initializer_list<FormatArgument> arguments);
// Shorthand for reportFormatted of a catalogue text.
void reportMessage(uint16_t id, std::initializer_list<FormatArgument> arguments);
// The line printed for a LauncherError that escapes to the entry point; builds
// its text without allocating, since memory may be exhausted.
void reportEscapedError(uint32_t code) noexcept;

// Shows an error's text to the user when standard output leads nowhere; set once
// at the start (nothing: such lines are dropped).
using ErrorDisplay = void (*)(std::u16string_view text) noexcept;
void setErrorDisplay(ErrorDisplay display) noexcept;

// Runs the body of a thread's entry, or of the process's: exhausted memory or an
// internal error raised inside gets its one error line here instead of ending the
// process through std::terminate. False when that happened.
template <typename Body> bool reportingEscapedErrors(Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (const LauncherError& error) {
        reportEscapedError(error.code());
    } catch (const std::bad_alloc&) {
        reportEscapedError(kErrorOutOfMemory);
    } catch (...) {
        reportEscapedError(kErrorFail);
    }
    return false;
}

} // namespace launcher
