// The decision trace: one line per decision of the launcher, for finding out why a
// start went as it did. Off unless LAUNCHER_TRACE is set: "1" writes to the
// standard error as it was when the process started, any other value names a file
// the lines are appended to. Each line reads
//   trace: <event> <name>=<value> ...
// with a value in double quotes unless it is made only of letters, digits and
// `._/:+-`. Inside the quotes `"` and `\` are escaped by a backslash, a line end
// reads \n or \r, and any other control character and each of $`%!&|<>^;'()
// reads \xHH, so that no line can run a command when the file is given to a
// shell. Lines are UTF-8. A trace file is only ever a regular file, opened for
// appending, never through a link, and never one that would block the start.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace launcher::platform {

struct SystemError;

// Whether lines are written; read from the environment once.
bool traceEnabled() noexcept;

// One line, written when it goes out of scope. Does nothing when the trace is off
// and never throws: the trace must not change what a start does.
class TraceLine {
  public:
    explicit TraceLine(std::string_view event) noexcept;
    ~TraceLine();
    TraceLine(const TraceLine&) = delete;
    TraceLine& operator=(const TraceLine&) = delete;

    TraceLine& add(std::string_view name, std::u16string_view value) noexcept;
    TraceLine& add(std::string_view name, std::string_view value) noexcept;
    TraceLine& add(std::string_view name, const char* value) noexcept {
        return add(name, std::string_view(value));
    }
    template <std::integral Number> TraceLine& add(std::string_view name, Number value) noexcept {
        if constexpr (std::signed_integral<Number>) {
            return addNumber(name, static_cast<int64_t>(value), false);
        } else {
            return addNumber(name, static_cast<int64_t>(value), true);
        }
    }
    // "yes" or "no".
    TraceLine& add(std::string_view name, bool value) noexcept;
    // error=<code> and, where the system gave one, reason=<its text>.
    TraceLine& add(const SystemError& error) noexcept;

  private:
    TraceLine& addNumber(std::string_view name, int64_t value, bool isUnsigned) noexcept;
    void addName(std::string_view name);
    std::string text_;
    bool active_;
};

// The value as it appears in a line (quoted when needed).
std::string traceValue(std::string_view utf8);

// Defined per system: opens the destination the setting names (false when it
// cannot be opened), writes one whole line to it, and the system's text for an
// error code.
bool openTraceDestination(std::u16string_view setting) noexcept;
void writeTraceText(std::string_view line) noexcept;
std::string systemErrorText(uint32_t code);

} // namespace launcher::platform
