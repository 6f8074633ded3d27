// The single-instance setting, read the same way on every system.
#include "service/instance_guard.h"

#include "config/ini_paths.h"
#include "config/ini_store.h"

namespace launcher {

bool readSingleInstance(const LauncherSettings& settings, bool& requested) {
    requested = false;
    WideString iniPath;
    if (!mainIniPath(iniPath)) {
        return false;
    }
    if (settings.serviceMode) {
        return true;
    }
    LayeredIniStore store(iniPath);
    // Exactly in lower case: "Yes" leaves single instance off.
    requested = store.getValue(u"Application", u"Single Instance") == u"yes";
    return true;
}

} // namespace launcher

namespace launcher {

InstanceGuard::InstanceGuard() noexcept = default;

InstanceGuard::~InstanceGuard() {
    shutDown();
}

bool InstanceGuard::check(const LauncherSettings& settings, const WideStringList& arguments,
                          SecondaryMainTarget target) {
    bool requested = false;
    if (!readSingleInstance(settings, requested)) {
        return false;
    }
    if (!requested) {
        return true;
    }
    WideString executable;
    if (!executablePath(executable)) {
        return false;
    }
    return join(executable, arguments, std::move(target));
}

} // namespace launcher
