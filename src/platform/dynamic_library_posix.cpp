// Shared libraries through dlopen and dlsym.
#include "platform/dynamic_library.h"

#include "platform/text.h"

#include <cerrno>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

namespace launcher::platform {

namespace {

// dlopen and dlsym report text, not codes: keep errno when the failing call set
// one, otherwise name the usual cause, and keep the loader's own text.
SystemError loaderError(const char* call, int fallback) {
    SystemError error{
        errno != 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(fallback), call, {}};
    if (const char* text = dlerror()) {
        error.detail = text;
    }
    return error;
}

} // namespace

void* loadLibraryForever(const WideString& path, SystemError& error) {
    std::string file = platform::wideToNarrow(path);
    errno = 0;
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) {
        error = loaderError("dlopen", access(file.c_str(), F_OK) == 0 ? ENOEXEC : ENOENT);
    }
    return library;
}

void* findExport(void* library, const char* name, SystemError& error) {
    errno = 0;
    void* address = dlsym(library, name);
    if (address == nullptr) {
        error = loaderError("dlsym", ENOENT);
    }
    return address;
}

} // namespace launcher::platform
