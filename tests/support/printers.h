// Readable GoogleTest output for the launcher's own types.
#pragma once

#include "base/wide_string.h"
#include "platform/text.h"

#include <ostream>

namespace launcher {

inline void PrintTo(const WideString& text, std::ostream* out) {
    *out << '"' << platform::wideToNarrow(text) << '"';
}

} // namespace launcher
