// Running the launch as a service of its own process.
#pragma once

#include "java/vm_exit_listener.h"

namespace launcher {

class Launcher;

class ServiceHost final : public VmExitListener {
public:
    explicit ServiceHost(Launcher& launcher) noexcept : launcher_(launcher) {}
    // 0 when the dispatcher ran and returned, else the system error code.
    int runDispatcher();

    void onVmExit(int32_t code) override;
    void onVmAbort() override;

private:
    Launcher& launcher_;
};

} // namespace launcher
