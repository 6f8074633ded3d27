// Loading a shared library for the rest of the process and finding its exports.
#pragma once

#include "base/wide_string.h"

#include "platform/system_error.h"

namespace launcher::platform {

// Whether the system's loader reads ELF images (PE on Windows).
#if defined(_WIN32)
inline constexpr bool kElfLoader = false;
#else
inline constexpr bool kElfLoader = true;
#endif

// The library stays loaded until the process ends. Null on failure, with `error`
// telling why.
void* loadLibraryForever(const WideString& path, SystemError& error);
// Null when the library does not export the name, with `error` set.
void* findExport(void* library, const char* name, SystemError& error);

} // namespace launcher::platform
