#include "platform/environment.h"

#include "platform/text.h"

#include <cstdlib>

namespace launcher::platform {

bool getEnvironmentVariable(std::u16string_view name, WideString& value) {
    const char* found = std::getenv(wideToNarrow(name).c_str());
    if (found == nullptr) {
        return false;
    }
    value = narrowToWide(found);
    return true;
}

bool setEnvironmentVariable(std::u16string_view name, const WideString& value) {
    return setenv(wideToNarrow(name).c_str(), value.toNarrow().c_str(), 1) == 0;
}

} // namespace launcher::platform

extern char** environ;

namespace launcher::platform {

namespace {

// Names match without regard to ASCII case, as they do on Windows, so that an INI
// written there (%Path%) still finds PATH; an exact match is preferred.
bool lookUpVariable(std::u16string_view name, WideString& value) {
    if (getEnvironmentVariable(name, value)) {
        return true;
    }
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        WideString wideEntry = narrowToWide(*entry);
        int32_t equals = wideEntry.find(u'=');
        if (equals > 0 &&
            equalsIgnoreAsciiCase(wideEntry.view().substr(0, static_cast<size_t>(equals)), name)) {
            value = wideEntry.mid(equals + 1);
            return true;
        }
    }
    return false;
}

} // namespace

void expandEnvironmentText(WideString& text) {
    text = expandReferences(text, lookUpVariable);
}

} // namespace launcher::platform
