// Loading a shared library for the rest of the process and finding its exports.
#pragma once

#include "core/wide_string.h"

#include <cstdint>

namespace launcher::platform {

// The library stays loaded until the process ends. Null on failure, with `error`
// set to the system error code of the failed load.
void* loadLibraryForever(const WideString& path, uint32_t& error);
// Null when the library does not export the name, with `error` set.
void* findExport(void* library, const char* name, uint32_t& error);

} // namespace launcher::platform
