// One running instance per executable, with the arguments of later starts
// forwarded to it.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "service/instance_forwarding.h"

#include <cstdint>
#include <jni.h>
#include <memory>

namespace launcher {

class InstanceGuard {
  public:
    InstanceGuard() noexcept;
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // Decides whether single instance is active and whether this is the primary.
    // A second instance hands `arguments` to the primary here; false when they do
    // not fit or cannot be handed over. The primary serves forwarded starts through
    // `target` once signalReady has been called.
    bool check(const LauncherSettings& settings, const WideStringList& arguments,
               SecondaryMainTarget target);
    // In a second instance: waits for the primary's answer, or its end, and
    // returns the exit code.
    int waitForPrimary();
    // In the primary, right before main is called: forwarded starts reach `vm` from now on.
    void signalReady(JavaVM* vm);
    // In the primary, when the run's exit code is known: second instances still
    // waiting are told, where the system cannot tell them itself.
    void primaryEnds(int32_t exitCode);
    // Stops the message thread and releases the shared block and the event.
    void shutDown();

    bool active() const noexcept { return active_; }
    bool primary() const noexcept { return primary_; }

    // The state a system keeps for the guard; shared with the threads that serve
    // forwarded starts, which may outlive the guard.
    struct State;

  private:
    // The system's part of check, once single instance is asked for: the shared
    // block of the executable, as primary or as a second instance.
    bool join(const WideString& executable, const WideStringList& arguments,
              SecondaryMainTarget target);

    std::shared_ptr<State> state_;
    bool active_ = false;
    bool primary_ = false;
};

// Whether the main INI asks for single instance: "Single Instance" exactly "yes",
// and not in service mode. False when the INI path cannot be formed.
bool readSingleInstance(const LauncherSettings& settings, bool& requested);

} // namespace launcher
