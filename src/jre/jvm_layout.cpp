// Where a runtime's folders are, seen from its JVM library.
#include "jre/jvm_layout.h"

#include "platform/path.h"

namespace launcher {

WideString nativeLibraryFolderOf(const WideString& jvmLibraryPath) {
    return platform::parentPath(platform::parentPath(jvmLibraryPath));
}

WideString runtimeHomeOf(const WideString& jvmLibraryPath) {
    return platform::parentPath(nativeLibraryFolderOf(jvmLibraryPath));
}

} // namespace launcher
