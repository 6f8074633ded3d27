// Windows memory figures: GlobalMemoryStatus.
#include "platform/memory.h"

#include <windows.h>

namespace launcher::platform {

MemoryFigures readMemoryFigures() {
    // In a 64-bit process the SIZE_T fields hold the full figures, beyond 4 GiB too.
    MEMORYSTATUS status{};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    return {status.dwTotalPhys, status.dwAvailVirtual};
}

} // namespace launcher::platform
