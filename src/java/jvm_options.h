// The VM option list, the class path and the extra program arguments.
#pragma once

#include "core/wide_string.h"
#include "java/java_host.h"

#include <cstddef>

namespace launcher {

class Launcher;
class IniStore;

// Fills the launcher's option list, redirection names and "Cmd" arguments from
// the INI file. False when the INI path cannot be formed, or after message 209
// when the class path comes out empty.
bool buildJvmOptions(Launcher& launcher);

// The class path from "Class Path" and "Embedded Jar", each element followed by
// the path-list separator.
WideString composeClassPath(IniStore& store, const WideString& executable);

// Appends what a wildcard or relative entry finds to the class path.
void expandClassPathEntry(const WideString& entry, const WideString& launcherFolder,
                          WideString& classPath);

// What processing VM parameters changes besides the option list.
struct VmParameterState {
    size_t applicationThreadStackSize = 0;
};

// Splits "Virtual Machine Parameters" at blanks outside double quotes and hands
// each item to processVmParameter.
void splitVmParameters(std::u16string_view text, WideStringList& target, VmParameterState& state);
// Unquotes the item, rewrites a relative memory option, takes a "-Xss" size, appends it.
void processVmParameter(WideString item, WideStringList& target, VmParameterState& state);

} // namespace launcher
