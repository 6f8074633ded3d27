// Where a runtime's folders are, seen from its JVM library.
#include "jre/jvm_layout.h"

#include "platform/path.h"

namespace launcher {

WideString nativeLibraryFolderOf(const WideString& jvmLibraryPath) {
    return platform::parentPath(platform::parentPath(jvmLibraryPath));
}

WideString runtimeHomeOf(const WideString& jvmLibraryPath) {
    WideString libraries = nativeLibraryFolderOf(jvmLibraryPath);
    if (!kArchitectureLibraryFolder.empty() &&
        platform::fileNameOf(libraries) == kArchitectureLibraryFolder) {
        libraries = platform::parentPath(libraries);
    }
    return platform::parentPath(libraries);
}

} // namespace launcher
