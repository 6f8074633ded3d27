// A process variable set for one test and restored afterwards (Windows).
#include "support/scoped_variable.h"

#include <windows.h>

#include <vector>

namespace launcher::testing {

namespace {

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

} // namespace

ScopedVariable::ScopedVariable(std::u16string_view name) : name_(name) {
    DWORD size = GetEnvironmentVariableW(wide(name_), nullptr, 0);
    if (size > 0) {
        std::vector<wchar_t> buffer(size);
        DWORD length = GetEnvironmentVariableW(wide(name_), buffer.data(), size);
        previous_ = std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length);
    }
}

ScopedVariable::ScopedVariable(std::u16string_view name, std::u16string_view value)
    : ScopedVariable(name) {
    SetEnvironmentVariableW(wide(name_), wide(std::u16string(value)));
}

ScopedVariable::~ScopedVariable() {
    SetEnvironmentVariableW(wide(name_), previous_ ? wide(*previous_) : nullptr);
}

std::u16string_view applicationDataVariable() {
    return u"APPDATA";
}

} // namespace launcher::testing
