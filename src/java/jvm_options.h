// The VM option list, the class path and the extra program arguments.
#pragma once

#include "core/wide_string.h"
#include "java/java_host.h"

namespace launcher {

class Launcher;

// Fills the launcher's option list, redirection names and "Cmd" arguments from
// the INI file. False when the INI path cannot be formed, or after message 209
// when the class path comes out empty.
bool buildJvmOptions(Launcher& launcher);

} // namespace launcher
