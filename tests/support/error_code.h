// The code of the LauncherError an operation raises, or 0 when it raises none.
#pragma once

#include "base/launcher_error.h"

#include <cstdint>
#include <functional>

namespace launcher::testing {

inline uint32_t errorCodeOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const LauncherError& error) {
        return error.code();
    }
    return 0;
}

} // namespace launcher::testing
