// The search for the Java runtime that the launch will use.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "jre/runtime_registry.h"

#include <optional>

namespace launcher {

// The runtime the search settled on.
struct RuntimeChoice {
    WideString jvmLibraryPath;
    // The library is a 32-bit image and a companion program is configured, or the
    // runtime was found in the 32-bit registry view.
    bool pairHandOver = false;
};

// The launcher's folder (with separator) or its jre64 subfolder when it holds a
// runtime's core library; nothing otherwise.
std::optional<WideString> findPrivateRuntime(const WideString& launcherFolder);

// In order: "JRE Path", the private runtime beside the launcher, the registered
// runtimes (natural view, then the 32-bit view when a companion is configured),
// then the registrations of current installers in the same two views. Nothing
// when no runtime was found (after saying so). `launcherFolder` ends with a
// separator; empty when the executable's path could not be read.
std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings,
                                            const WideString& launcherFolder,
                                            RegistrationSource& source);
std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings);

} // namespace launcher
