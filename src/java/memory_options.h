// Heap and stack options given relative to the machine ("-Xmx25:256:2048P"), turned
// into absolute sizes at launch, and the size of a "-Xss" option.
#pragma once

#include "base/wide_string.h"
#include "platform/memory.h"

#include <cstdint>

namespace launcher {

// "-Xms", "-Xmx" or "-Xss" (exact case) at the start and 'P', 'p', 'T' or 't' at the end.
bool isRelativeMemoryOption(std::u16string_view text);

// Replaces a relative memory option by the prefix, the size in whole kilobytes and
// "K". Only call it for texts that isRelativeMemoryOption accepts.
void rewriteMemoryOption(WideString& text, const platform::MemoryFigures& figures);

// The size in bytes of the text after "-Xss" ("512k", "2m", "1048576"); 0 when it
// does not begin with a digit or holds a ':'.
uint64_t parseStackSize(std::u16string_view text);

} // namespace launcher
