// The single-instance rules every system shares: when it is asked for, and how a
// start that finds its primary gone takes its place.
#include "service/instance_guard.h"

#include "service/instance_block.h"

namespace launcher {

InstanceGuard::InstanceGuard() noexcept = default;

InstanceGuard::~InstanceGuard() {
    shutDown();
}

bool InstanceGuard::check(const LauncherSettings& settings, const RunContext& context,
                          SecondaryMainTarget target) {
    if (!settings.singleInstance) {
        return true;
    }
    executable_ = context.executable;
    target_ = std::move(target);
    return join();
}

bool InstanceGuard::forwardArguments(const WideStringList& arguments) {
    if (argumentAreaSize(arguments) > kArgumentAreaBytes) {
        return false;
    }
    while (active_ && !primary_) {
        bool stale = false;
        if (handOver(arguments, stale)) {
            return true;
        }
        if (!stale || !join()) {
            return false;
        }
    }
    return true;
}

} // namespace launcher
