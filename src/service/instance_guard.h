// One running instance per executable, with the arguments of later starts
// forwarded to it.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "config/run_context.h"
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

    // Decides whether single instance is active and whether this is the primary:
    // the primary's objects are made, or the running primary's block is mapped.
    // The primary serves forwarded starts through `target` once signalReady has
    // been called. False when the primary's block cannot be used.
    bool check(const LauncherSettings& settings, const RunContext& context,
               SecondaryMainTarget target);
    // In a second instance: hands the arguments to the primary. False when they do
    // not fit or cannot be handed over. A primary found gone leaves its place to
    // this start, which is then the primary itself.
    bool forwardArguments(const WideStringList& arguments);
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
    // The system's part of check: the shared block of the executable, taken as
    // primary or mapped as a second instance.
    bool join();
    // The system's part of forwardArguments; false with `stale` set when nobody
    // serves the block any more (it is then released).
    bool handOver(const WideStringList& arguments, bool& stale);

    std::shared_ptr<State> state_;
    WideString executable_;
    SecondaryMainTarget target_;
    // Stale blocks are replaced a few times at most: a start never loops for good.
    int attemptsLeft_ = 4;
    bool active_ = false;
    bool primary_ = false;
};

} // namespace launcher
