#include "platform/dynamic_library.h"

#include <cerrno>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

namespace launcher::platform {

namespace {

// dlopen and dlsym report text, not codes: keep errno when the failing call set
// one, otherwise name the usual causes.
uint32_t failureCode(int fallback) {
    return errno != 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(fallback);
}

} // namespace

void* loadLibraryForever(const WideString& path, uint32_t& error) {
    std::string file = path.toNarrow();
    errno = 0;
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) {
        error = failureCode(access(file.c_str(), F_OK) == 0 ? ENOEXEC : ENOENT);
    }
    return library;
}

void* findExport(void* library, const char* name, uint32_t& error) {
    errno = 0;
    void* address = dlsym(library, name);
    if (address == nullptr) {
        error = failureCode(ENOENT);
    }
    return address;
}

} // namespace launcher::platform
