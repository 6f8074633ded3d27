// The folders a user's own settings go under.
#pragma once

#include "base/wide_string.h"

namespace launcher::platform {

// "APPDATA" on Windows (empty when it is not set); elsewhere $XDG_CONFIG_HOME, else
// ~/.config, and empty when neither names an absolute folder.
WideString userSettingsFolder();

} // namespace launcher::platform
