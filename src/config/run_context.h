// The facts of this run that every step needs, worked out once: where the
// executable is, what it is called, and which INI files belong to it.
#pragma once

#include "base/wide_string.h"

namespace launcher {

struct RunContext {
    WideString executable;     // the full path
    WideString launcherFolder; // the executable's folder, with its separator
    WideString programName;    // the file name without its extension
    WideString mainIni;        // empty when the path has no form for one
    WideString perUserIni;     // set once the product is known; empty: no per-user folder
};

// The executable's facts. False, after message 202 with 208, when the system
// cannot tell the executable's path.
bool findRunContext(RunContext& context);

} // namespace launcher
