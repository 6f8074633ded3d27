// Readable GoogleTest output for the launcher's own types.
#pragma once

#include "core/wide_string.h"

#include <ostream>

namespace launcher {

inline void PrintTo(const WideString& text, std::ostream* out) {
    *out << '"' << text.toNarrow() << '"';
}

} // namespace launcher
