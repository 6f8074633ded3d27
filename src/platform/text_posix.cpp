// Narrow text on Linux is UTF-8.
#include "platform/text.h"

namespace launcher::platform {

// The locale's encoding is taken to be UTF-8, as on every current Linux system.
WideString narrowToWide(std::string_view narrow) {
    return utf8ToWide(narrow);
}

std::string wideToNarrow(std::u16string_view wide) {
    return encodeUtf8Escaped(wide);
}

// File names are bytes; those that are not UTF-8 keep them as lone surrogates.
WideString fileNameToWide(std::string_view name) {
    return WideString(std::u16string_view(decodeUtf8Escaped(name)));
}

} // namespace launcher::platform
