// The folders a user's own settings and caches go under.
#pragma once

#include "base/wide_string.h"

namespace launcher::platform {

// "APPDATA" on Windows (empty when it is not set); elsewhere $XDG_CONFIG_HOME, else
// ~/.config, and empty when neither names an absolute folder.
WideString userSettingsFolder();

// The folder for what a program may make again at any time and that stays on this
// machine: "LOCALAPPDATA" on Windows; elsewhere $XDG_CACHE_HOME, else ~/.cache.
// Empty when none names an absolute folder.
WideString userCacheFolder();

} // namespace launcher::platform
