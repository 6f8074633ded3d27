// The search for the Java runtime that the launch will use.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"

#include <optional>

namespace launcher {

// The runtime the search settled on.
struct RuntimeChoice {
    WideString jvmLibraryPath;
    // The library is a 32-bit image and a companion program is configured.
    bool pairHandOver = false;
};

// Nothing when no runtime was found (after saying so).
std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings);

} // namespace launcher
