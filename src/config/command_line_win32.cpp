// Windows arguments: GetCommandLineW split by the launcher's own rule.
#include "config/command_line.h"

#include <windows.h>

namespace launcher {

void buildArgumentList(WideStringList& arguments) {
    appendCommandLineArguments(WideString(reinterpret_cast<const char16_t*>(GetCommandLineW())),
                               arguments);
}

} // namespace launcher
