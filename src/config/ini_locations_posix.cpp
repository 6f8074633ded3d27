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

// The XDG configuration folder stands in for "APPDATA". As the XDG rules say, a
// relative value is ignored like an unset one; without an absolute folder there
// is no per-user folder at all (never one below the root or the current directory).
WideString applicationDataFolder() {
    WideString folder;
    if (platform::getEnvironmentVariable(u"XDG_CONFIG_HOME", folder) && folder.startsWith(u"/")) {
        return folder;
    }
    WideString home;
    if (platform::getEnvironmentVariable(u"HOME", home) && home.startsWith(u"/")) {
        return home.append(u"/.config");
    }
    return WideString();
}

} // namespace launcher
