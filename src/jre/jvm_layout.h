// How a Java runtime is laid out on this system.
#pragma once

#include <string_view>
#include <vector>

namespace launcher {

// Paths below a runtime home (which ends with a separator) where the library of
// the VM in folder `vm` ("server", "client", ...) may be, in the order tried.
std::vector<std::u16string_view> jvmLibraryCandidates(std::u16string_view vm);

// The file below a folder that makes it a runtime home: the Java core library.
extern const std::u16string_view kRuntimeMarkerFile;
// The subfolder of the launcher's folder that may hold a private runtime, with separator.
extern const std::u16string_view kPrivateRuntimeFolder;

} // namespace launcher
