// The environment on Linux, with %NAME% expansion by the Windows rules.
#include "platform/environment.h"

#include "platform/text.h"
#include "platform/unique_handle.h"

#include <cstdlib>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

extern char** environ;

namespace launcher::platform {

namespace {

// Windows keeps '=' out of names except as their first character, so a name
// holding one further on names nothing (the C library would match "A=B"
// against the variable A when its value begins with "B=").
bool isPossibleName(std::u16string_view name) {
    return !name.empty() && name.find(u'=', 1) == std::u16string_view::npos;
}

} // namespace

bool getEnvironmentVariable(std::u16string_view name, WideString& value) {
    if (!isPossibleName(name)) {
        return false;
    }
    const char* found = std::getenv(wideToNarrow(name).c_str());
    if (found == nullptr) {
        return false;
    }
    value = narrowToWide(found);
    return true;
}

bool setEnvironmentVariable(std::u16string_view name, const WideString& value) {
    return setenv(wideToNarrow(name).c_str(), platform::wideToNarrow(value).c_str(), 1) == 0;
}

bool removeEnvironmentVariable(std::u16string_view name) {
    return unsetenv(wideToNarrow(name).c_str()) == 0;
}

namespace {

struct LocaleTraits {
    using Type = locale_t;
    static Type invalid() noexcept { return static_cast<locale_t>(0); }
    static void close(Type locale) noexcept { freelocale(locale); }
};

// Windows compares variable names by their upper-case forms over all of
// Unicode, but only through pairs that map both ways: a letter whose upper
// case leads back to another lower case (dotless i, long s, final sigma, the
// Greek symbol forms, micro sign) stays itself. The C.UTF-8 locale gives the
// mappings whatever the process locale is.
char16_t nameFold(char16_t unit) {
    if (unit < 0x80) {
        return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
    }
    static const UniqueHandle<LocaleTraits> utf8(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr));
    if (!utf8 || (unit >= 0xD800 && unit <= 0xDFFF)) {
        return unit;
    }
    wint_t upper = towupper_l(unit, utf8.get());
    if (upper == unit || upper > 0xFFFF || towlower_l(upper, utf8.get()) != unit) {
        return unit;
    }
    return static_cast<char16_t>(upper);
}

bool namesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && nameFold(a[i]) != nameFold(b[i])) {
            return false;
        }
    }
    return true;
}

// Names match without regard to case, as they do on Windows, so that an INI
// written there (%Path%) still finds PATH; an exact match is preferred, since
// here two variables may differ in case only.
bool lookUpVariable(std::u16string_view name, WideString& value) {
    if (getEnvironmentVariable(name, value)) {
        return true;
    }
    if (!isPossibleName(name)) {
        return false;
    }
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        WideString wideEntry = narrowToWide(*entry);
        int32_t equals = wideEntry.find(u'=', 1);
        if (equals > 0 &&
            namesEqual(wideEntry.view().substr(0, static_cast<size_t>(equals)), name)) {
            value = wideEntry.mid(equals + 1);
            return true;
        }
    }
    return false;
}

// The platform's call works on counted strings of at most 32,767 units with
// the terminating zero: a longer text, or one that would expand beyond that,
// is where the call fails and the text stays as it is.
constexpr size_t kLongestText = 32766;

} // namespace

void expandEnvironmentText(WideString& text) {
    if (static_cast<size_t>(text.length()) > kLongestText) {
        return;
    }
    WideString expanded = expandReferences(text, lookUpVariable);
    if (static_cast<size_t>(expanded.length()) <= kLongestText) {
        text = expanded;
    }
}

} // namespace launcher::platform
