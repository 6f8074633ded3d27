// Paths in test rows are written the Windows way; elsewhere the drive goes and
// the separators become the system's.
#pragma once

#include "platform/path.h"

#include <string>

namespace launcher::testing {

inline std::string nativePath(std::string text) {
    if (platform::kPathSeparator == u'\\') {
        return text;
    }
    for (size_t at; (at = text.find("C:")) != std::string::npos;) {
        text.erase(at, 2);
    }
    for (char& c : text) {
        c = c == '\\' ? '/' : c == ';' ? ':' : c;
    }
    return text;
}

} // namespace launcher::testing
