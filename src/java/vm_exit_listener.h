#pragma once

#include <cstdint>

namespace launcher {

// Told by the VM's exit and abort hooks that the VM is ending the process.
class VmExitListener {
public:
    virtual void onVmExit(int32_t code) = 0;
    virtual void onVmAbort() = 0;

protected:
    ~VmExitListener() = default;
};

} // namespace launcher
