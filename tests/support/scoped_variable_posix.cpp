// A process variable set for one test and restored afterwards (Linux).
#include "platform/text.h"
#include "support/scoped_variable.h"

#include <cstdlib>

namespace launcher::testing {

namespace {

std::string narrow(std::u16string_view text) {
    return platform::wideToNarrow(text);
}

} // namespace

ScopedVariable::ScopedVariable(std::u16string_view name) : name_(name) {
    if (const char* old = std::getenv(narrow(name).c_str())) {
        previous_ = std::u16string(platform::narrowToWide(old).view());
    }
}

ScopedVariable::ScopedVariable(std::u16string_view name, std::u16string_view value)
    : ScopedVariable(name) {
    setenv(narrow(name).c_str(), narrow(value).c_str(), 1);
}

ScopedVariable::~ScopedVariable() {
    if (previous_) {
        setenv(narrow(name_).c_str(), narrow(*previous_).c_str(), 1);
    } else {
        unsetenv(narrow(name_).c_str());
    }
}

std::u16string_view applicationDataVariable() {
    return u"XDG_CONFIG_HOME";
}

} // namespace launcher::testing
