// One running instance per executable, with the arguments of later starts
// forwarded to it.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"

namespace launcher {

class InstanceGuard {
  public:
    // Decides whether single instance is active and whether this is the primary;
    // a second instance takes `arguments` along to forward them.
    bool check(const LauncherSettings& settings, const WideStringList& arguments);
    // In a second instance: waits for the primary's answer and returns it.
    int waitForPrimary();
    // Stops the message thread and releases the shared block and the event.
    void shutDown();

    bool active() const noexcept { return active_; }
    bool primary() const noexcept { return primary_; }

  private:
    bool active_ = false;
    bool primary_ = false;
};

} // namespace launcher
