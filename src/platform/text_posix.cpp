// Narrow text on Linux is UTF-8.
#include "platform/text.h"

namespace launcher::platform {

// The locale's encoding is taken to be UTF-8, as on every current Linux system.
WideString narrowToWide(std::string_view narrow) {
    return utf8ToWide(narrow);
}

std::string wideToNarrow(std::u16string_view wide) {
    return wideToUtf8(wide);
}

} // namespace launcher::platform
