// The VM option list, the class path and the extra program arguments.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "config/run_context.h"
#include "java/stream_redirection.h"

#include <cstddef>
#include <string>
#include <vector>

namespace launcher {

// VM options in the thread's narrow encoding, in the order the VM receives them.
using JvmOptionList = std::vector<std::string>;

// What the option assembly gives the run.
struct JvmOptionAssembly {
    // As composed; encodeJvmOptions gives them the form the VM can read.
    WideStringList options;
    // From a "-Xss" item; a value set before the assembly is kept when there is none.
    size_t applicationThreadStackSize = 0;
    StreamRedirection redirection;
    // The "Cmd" tokens, to follow the command line's arguments.
    WideStringList extraArguments;
};

// Fills the assembly from the option settings. False after message 209 when the
// class path comes out empty; nothing is assembled then.
bool buildJvmOptions(const JavaOptionSettings& settings, const RunContext& context,
                     JvmOptionAssembly& assembly);

// The class path from "Class Path" and "Embedded Jar", each element followed by
// the path-list separator.
WideString composeClassPath(const JavaOptionSettings& settings, const RunContext& context);

// Appends what a wildcard or relative entry finds to the class path;
// `launcherFolder` is without its separator.
void expandClassPathEntry(const WideString& entry, const WideString& launcherFolder,
                          WideString& classPath);

// What processing VM parameters changes besides the option list.
struct VmParameterState {
    size_t applicationThreadStackSize = 0;
};

// Splits "Virtual Machine Parameters" at blanks outside double quotes and hands
// each item to processVmParameter.
void splitVmParameters(std::u16string_view text, WideStringList& target, VmParameterState& state);
// Unquotes the item, rewrites a relative memory option, expands %NAME% references,
// takes a "-Xss" size, appends it.
void processVmParameter(WideString item, WideStringList& target, VmParameterState& state);

} // namespace launcher
