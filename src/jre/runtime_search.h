// The search for the Java runtime that the launch will use.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "config/run_context.h"
#include "jre/runtime_registry.h"

#include <functional>
#include <optional>

namespace launcher {

// The runtime the search settled on.
struct RuntimeChoice {
    WideString jvmLibraryPath;
    // The library is a 32-bit image and a companion program is configured, or the
    // runtime was found in the 32-bit registry view.
    bool pairHandOver = false;
    // The folder the user chose when no source had a runtime; empty otherwise.
    WideString chosenFolder;
};

// A runtime folder the user named (ending with a separator) and the JVM library
// found below it for the configured type (empty when there is none).
struct ChosenRuntime {
    WideString folder;
    WideString jvmLibraryPath; // empty unless the library can be loaded
    // A library that was found but could not be loaded: a 32-bit image where
    // nothing hands it on, or a file the loader would refuse.
    WideString refusedLibrary;
};

// What a runtime the user names must offer: a JVM library of the type, and a
// 32-bit one only when a companion program takes it over.
struct RuntimeWanted {
    JvmType type = JvmType::Any;
    bool x86Allowed = false;
};

// Asked when no source has a runtime, with the not-found message and the JVM type;
// the folder the user chose, or nothing when the user cancelled or nobody could
// be asked. It reports what it has to say itself.
using RuntimeChooser =
    std::function<std::optional<ChosenRuntime>(const WideString& message, RuntimeWanted wanted)>;

// The launcher's folder (with separator) or its jre64 subfolder when it holds a
// runtime's core library; nothing otherwise.
std::optional<WideString> findPrivateRuntime(const WideString& launcherFolder);

// In order: "JRE Path", the private runtime beside the launcher, the registered
// runtimes (natural view, then the 32-bit view when a companion is configured),
// then the registrations of current installers in the same two views, and last
// the user's choice through `chooser`. Without a chooser the not-found message is
// reported and nothing is returned. `launcherFolder` ends with a separator; empty
// when the executable's path could not be read.
std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings,
                                            const WideString& launcherFolder,
                                            RegistrationSource& source,
                                            const RuntimeChooser& chooser = nullptr);
std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings,
                                            const RunContext& context,
                                            const RuntimeChooser& chooser = nullptr);

// The text that tells the user which runtime to install (message 206 or 207).
WideString runtimeNotFoundMessage(const LauncherSettings& settings);

} // namespace launcher
