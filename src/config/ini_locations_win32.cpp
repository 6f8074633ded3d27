// Windows INI locations: APPDATA for the per-user folder.
#include "config/ini_locations.h"

#include "platform/environment.h"

namespace launcher {

bool iniPathOf(const WideString& programPath, WideString& iniPath) {
    int32_t dot = programPath.findLast(u'.');
    if (dot == WideString::kNotFound) {
        return false;
    }
    iniPath = programPath.left(dot + 1).append(u"ini");
    return true;
}

WideString applicationDataFolder() {
    WideString folder;
    platform::getEnvironmentVariable(u"APPDATA", folder);
    return folder;
}

} // namespace launcher
