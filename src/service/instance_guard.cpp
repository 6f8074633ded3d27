// The single-instance check and the second instance's wait.
#include "service/instance_guard.h"

namespace launcher {

// Single instance is not offered yet: every start runs as an ordinary launcher.
bool InstanceGuard::check(const LauncherSettings&, const WideStringList&) {
    return true;
}

int InstanceGuard::waitForPrimary() {
    return 0;
}

void InstanceGuard::shutDown() {}

} // namespace launcher
