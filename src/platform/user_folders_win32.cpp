// Windows: the roaming application data folder.
#include "platform/user_folders.h"

#include "platform/environment.h"
#include "platform/path.h"

namespace launcher::platform {

// A relative value counts as unset: the per-user files never land below the
// current directory.
WideString userSettingsFolder() {
    WideString folder;
    if (getEnvironmentVariable(u"APPDATA", folder) && isAbsolutePath(folder.view())) {
        return folder;
    }
    return WideString();
}

} // namespace launcher::platform
