// The record: one line per event, appended to the file that TESTJVM_RECORD names.
#pragma once

#include <string_view>

namespace testjvm {

// Appends `line` and a newline. Each line goes out in one write that is not buffered,
// because the process may end through exit() or abort() at any moment.
void record(std::string_view line);

// "key=value"; `value` is UTF-8 that is already safe for one line.
void record(std::string_view key, std::string_view value);

} // namespace testjvm
