// Running the launch as a service of its own process.
#pragma once

#include "base/wide_string.h"
#include "java/vm_exit_listener.h"

#include <functional>

namespace launcher {

// The launch as the service runs it, with the start parameters the service
// control manager passed; returns the run's exit code.
using ServiceRun = std::function<int(const WideStringList& startParameters)>;

class ServiceHost final : public VmExitListener {
  public:
    // 0 when the dispatcher ran and returned, else the system error code.
    int runDispatcher(ServiceRun run);

    void onVmExit(int32_t code) override;
    void onVmAbort() override;
};

} // namespace launcher
