// The environment the VM and the application see.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"

namespace launcher {

// Publishes the runtime's location, the library path option and the search path
// before the JVM library is loaded.
void prepareProcessEnvironment(const LauncherSettings& settings, const WideString& jvmLibraryPath);

} // namespace launcher
