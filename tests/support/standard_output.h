// What the code under test writes to the standard output, as a test sees it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace launcher::testing {

// Everything the C runtime writes to the standard output while `action` runs,
// as the bytes that reach a file (on Windows in text mode, so CR LF for each
// line feed, as the real standard output has them).
std::string captureStandardOutput(const std::function<void()>& action);

// What the captured output holds for one '\n' written to it.
#if defined(_WIN32)
inline constexpr std::string_view kStandardOutputLineEnd = "\r\n";
#else
inline constexpr std::string_view kStandardOutputLineEnd = "\n";
#endif

} // namespace launcher::testing
