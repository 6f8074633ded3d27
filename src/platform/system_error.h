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

// The codes the system's loader gives for a file that is no loadable image
// (ENOEXEC, ERROR_BAD_EXE_FORMAT) and for a folder in a file's place (EISDIR;
// Windows calls that a bad image too).
extern const uint32_t kNotAnImageError;
extern const uint32_t kFolderNotAnImageError;
// What opening a folder as a file gives (EISDIR, ERROR_ACCESS_DENIED).
extern const uint32_t kIsFolderError;

} // namespace launcher::platform
