// Linux: the XDG configuration and cache folders stand in for "APPDATA" and
// "LOCALAPPDATA".
#include "platform/user_folders.h"

#include "platform/environment.h"

namespace launcher::platform {

namespace {

// As the XDG rules say, a relative value is ignored like an unset one; without an
// absolute folder there is no per-user folder at all (never one below the root
// or the current directory).
WideString xdgFolder(std::u16string_view variable, std::u16string_view belowHome) {
    WideString folder;
    if (getEnvironmentVariable(variable, folder) && folder.startsWith(u"/")) {
        return folder;
    }
    WideString home;
    if (getEnvironmentVariable(u"HOME", home) && home.startsWith(u"/")) {
        return home.append(belowHome);
    }
    return WideString();
}

} // namespace

WideString userSettingsFolder() {
    return xdgFolder(u"XDG_CONFIG_HOME", u"/.config");
}

WideString userCacheFolder() {
    return xdgFolder(u"XDG_CACHE_HOME", u"/.cache");
}

} // namespace launcher::platform
