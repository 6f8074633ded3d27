// What a failed system call reports: the system's error code, the name of the
// call and, where the system gives one, its own text (dlerror on Linux).
#pragma once

#include <cstdint>
#include <string>

namespace launcher::platform {

struct SystemError {
    uint32_t code = 0;
    const char* call = "";
    std::string detail;

    // The calling thread's last error (GetLastError, or errno) for `call`.
    static SystemError last(const char* call);
};

} // namespace launcher::platform
