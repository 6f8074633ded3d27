// Linux INI locations: XDG_CONFIG_HOME (else ~/.config) for the per-user folder.
#include "config/ini_locations.h"

#include "platform/environment.h"

namespace launcher {

// A "." in a folder name does not start an extension here, and a program without
// an extension (the usual case) keeps its whole name: /opt/app/tool gives /opt/app/tool.ini.
bool iniPathOf(const WideString& programPath, WideString& iniPath) {
    if (programPath.empty()) {
        return false;
    }
    int32_t dot = programPath.findLast(u'.');
    if (dot == WideString::kNotFound || dot < programPath.findLast(u'/')) {
        iniPath = programPath + u".ini";
        return true;
    }
    iniPath = programPath.left(dot + 1).append(u"ini");
    return true;
}

// The XDG configuration folder stands in for "APPDATA".
WideString applicationDataFolder() {
    WideString folder;
    if (platform::getEnvironmentVariable(u"XDG_CONFIG_HOME", folder) && !folder.empty()) {
        return folder;
    }
    WideString home;
    if (platform::getEnvironmentVariable(u"HOME", home) && !home.empty()) {
        return home.append(u"/.config");
    }
    return WideString();
}

} // namespace launcher
