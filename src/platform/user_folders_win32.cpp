// Windows: the roaming application data folder.
#include "platform/user_folders.h"

#include "platform/environment.h"

namespace launcher::platform {

WideString userSettingsFolder() {
    WideString folder;
    getEnvironmentVariable(u"APPDATA", folder);
    return folder;
}

} // namespace launcher::platform
