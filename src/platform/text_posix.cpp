// Narrow text on Linux is UTF-8.
#include "platform/text.h"

#include <algorithm>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace launcher::platform {

// The locale's encoding is taken to be UTF-8, as on every current Linux system.
WideString narrowToWide(std::string_view narrow) {
    return utf8ToWide(narrow);
}

std::string wideToNarrow(std::u16string_view wide) {
    return encodeUtf8Escaped(wide);
}

namespace {

enum class LocaleEncoding { Utf8, Ascii, OtherBytes };

// The encoding the VM will decode narrow text with: it takes the locale the
// environment names, as setlocale(LC_ALL, "") would, whatever this process set.
LocaleEncoding localeEncoding() {
    static const LocaleEncoding encoding = [] {
        locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr)) {
            return LocaleEncoding::Ascii; // an unknown locale leaves the C locale in force
        }
        std::string codeset = nl_langinfo_l(CODESET, locale);
        freelocale(locale);
        return codeset == "UTF-8" || codeset == "utf8" ? LocaleEncoding::Utf8
               : codeset == "ANSI_X3.4-1968"           ? LocaleEncoding::Ascii
                                                       : LocaleEncoding::OtherBytes;
    }();
    return encoding;
}

bool isEscapedByte(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

} // namespace

// Lone surrogates stand for bytes of a file name that are no UTF-8: they go
// back as those bytes, which a byte encoding such as ISO-8859-1 reads back as
// the same name; ASCII cannot.
bool narrowKeeps(std::u16string_view wide) {
    LocaleEncoding encoding = localeEncoding();
    if (encoding == LocaleEncoding::Utf8) {
        return true;
    }
    return std::all_of(wide.begin(), wide.end(), [encoding](char16_t unit) {
        return unit < 0x80 || (encoding == LocaleEncoding::OtherBytes && isEscapedByte(unit));
    });
}

// File names are bytes; those that are not UTF-8 keep them as lone surrogates.
WideString fileNameToWide(std::string_view name) {
    return WideString(std::u16string_view(decodeUtf8Escaped(name)));
}

} // namespace launcher::platform
