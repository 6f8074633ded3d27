// Narrow text on Linux is UTF-8.
#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace launcher::platform {

// The locale's encoding is taken to be UTF-8, as on every current Linux system.
WideString narrowToWide(std::string_view narrow) {
    return utf8ToWide(narrow);
}

std::string wideToNarrow(std::u16string_view wide) {
    return encodeUtf8Escaped(wide);
}

namespace {

// The encoding the VM will decode narrow text with: it takes the locale the
// environment names, as setlocale(LC_ALL, "") would, whatever this process set.
bool localeIsUtf8() {
    static const bool utf8 = [] {
        locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr)) {
            return false; // an unknown locale leaves the C locale in force
        }
        const char* codeset = nl_langinfo_l(CODESET, locale);
        bool isUtf8 = codeset != nullptr &&
                      (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
        freelocale(locale);
        return isUtf8;
    }();
    return utf8;
}

} // namespace

bool narrowKeeps(std::u16string_view wide) {
    if (localeIsUtf8()) {
        return true; // lone surrogates stand for bytes of a file name, which go back as they were
    }
    return std::all_of(wide.begin(), wide.end(), [](char16_t unit) { return unit < 0x80; });
}

// File names are bytes; those that are not UTF-8 keep them as lone surrogates.
WideString fileNameToWide(std::string_view name) {
    return WideString(std::u16string_view(decodeUtf8Escaped(name)));
}

} // namespace launcher::platform
