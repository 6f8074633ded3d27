// How a Java runtime is laid out on this system.
#pragma once

#include "base/wide_string.h"

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
// The runtime's java program below its home.
extern const std::u16string_view kJavaProgram;

// The folder between a Linux JDK 8's lib/ and its VM folders (lib/amd64/server);
// empty where there is none.
extern const std::u16string_view kArchitectureLibraryFolder;

// A JVM library lies in <home>/<native libraries>/<vm>/: the folder of the
// runtime's native libraries (bin\ on Windows, lib/ or lib/amd64/ on Linux) and
// the home, both without a separator at the end. For a JDK 8 the home is its
// jre folder on every system.
WideString nativeLibraryFolderOf(const WideString& jvmLibraryPath);
WideString runtimeHomeOf(const WideString& jvmLibraryPath);

} // namespace launcher
