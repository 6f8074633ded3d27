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
