// The environment the VM and the application see.
#pragma once

#include "base/wide_string.h"

#include <optional>
#include <string>

namespace launcher {

struct ProcessEnvironmentInput {
    WideString jvmLibraryPath; // the chosen library, full path
    WideString libraryPath;    // "Library Path"
    WideString systemPath;     // "System Path"
    WideString launcherFolder; // with separator; empty when unknown
};

// Publishes the runtime's location (ZEN_JVM_PATH, ZEN_JVM_HOME) and extends the
// search path, before the JVM library is loaded and before the options are
// assembled, so that those may refer to the variables. Returns the
// -Djava.library.path option when "Library Path" is set: it goes first in the
// option list.
std::optional<WideString> prepareProcessEnvironment(const ProcessEnvironmentInput& input);

} // namespace launcher
