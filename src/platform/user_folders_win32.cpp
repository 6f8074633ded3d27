// Windows: the roaming and the local application data folders.
#include "platform/user_folders.h"

#include "platform/environment.h"
#include "platform/path.h"

namespace launcher::platform {

namespace {

// A relative value counts as unset: the per-user files never land below the
// current directory.
WideString absoluteFolderIn(std::u16string_view variable) {
    WideString folder;
    if (getEnvironmentVariable(variable, folder) && isAbsolutePath(folder.view())) {
        return folder;
    }
    return WideString();
}

} // namespace

WideString userSettingsFolder() {
    return absoluteFolderIn(u"APPDATA");
}

WideString userCacheFolder() {
    return absoluteFolderIn(u"LOCALAPPDATA");
}

} // namespace launcher::platform
