// Linux: the XDG configuration folder stands in for "APPDATA".
#include "platform/user_folders.h"

#include "platform/environment.h"

namespace launcher::platform {

// As the XDG rules say, a relative value is ignored like an unset one; without an
// absolute folder there is no per-user folder at all (never one below the root
// or the current directory).
WideString userSettingsFolder() {
    WideString folder;
    if (getEnvironmentVariable(u"XDG_CONFIG_HOME", folder) && folder.startsWith(u"/")) {
        return folder;
    }
    WideString home;
    if (getEnvironmentVariable(u"HOME", home) && home.startsWith(u"/")) {
        return home.append(u"/.config");
    }
    return WideString();
}

} // namespace launcher::platform
