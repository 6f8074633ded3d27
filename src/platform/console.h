// The process's standard output and error as text: written whole, in the form
// the one reading them expects, without allocating (a line may report that
// memory is exhausted). Output failures are ignored.
#pragma once

#include <initializer_list>
#include <string_view>

namespace launcher::platform {

// The pieces as one line on the standard output, after what the C runtime
// still buffers there.
void writeStandardOutput(std::initializer_list<std::u16string_view> pieces) noexcept;
// The text as it is on the standard error.
void writeStandardError(std::u16string_view text) noexcept;

// Whether standard output leads anywhere: a console, a file or a pipe. A windowed
// program started without a console, and with nothing redirected, has none.
bool standardOutputIsOpen() noexcept;
// Whether this program is built for the windowed subsystem (Windows' launcherw.exe),
// which the system starts without a console.
bool isWindowedProgram() noexcept;

} // namespace launcher::platform
