// The machine's memory and the process's address space, as relative heap and
// stack sizes are computed from them.
#pragma once

#include <cstdint>

namespace launcher::platform {

// The two figures a relative memory option can be a percentage of, in bytes.
struct MemoryFigures {
    uint64_t totalPhysicalBytes = 0;    // suffix 'P' or 'p'
    uint64_t availableVirtualBytes = 0; // suffix 'T' or 't': free address space of this process
};

// The figures of this machine and process at the moment of the call.
MemoryFigures readMemoryFigures();

} // namespace launcher::platform
