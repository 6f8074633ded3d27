#include "core/command_line.h"

#include <windows.h>

namespace launcher {

void buildArgumentList(WideStringList& arguments) {
    appendCommandLineArguments(WideString(reinterpret_cast<const char16_t*>(GetCommandLineW())),
                               arguments);
}

} // namespace launcher
