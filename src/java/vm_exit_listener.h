// The party told when the VM ends the process through its exit or abort hook.
#pragma once

#include <cstdint>

namespace launcher {

class VmExitListener {
  public:
    virtual void onVmExit(int32_t code) = 0;
    virtual void onVmAbort() = 0;

  protected:
    ~VmExitListener() = default;
};

} // namespace launcher
