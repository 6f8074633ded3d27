#include "jre/runtime_search.h"

#include "core/launcher.h"
#include "platform/file_system.h"

namespace launcher {

// Only the configured "JRE Path" is searched so far.
bool resolveRuntime(Launcher& launcher) {
    const LauncherSettings& settings = launcher.settings;
    if (settings.jrePath.empty()) {
        return false;
    }
    WideString home = settings.jrePath;
    if (!home.endsWith(platform::kPathSeparator)) {
        home.append(platform::kPathSeparator);
    }
    bool serverVm = false;
    WideString library = findJvmLibrary(home, settings.jvmType, serverVm);
    if (library.empty()) {
        return false;
    }
    launcher.pairHandOver = needsPairHandOver(settings, library);
    launcher.jvmLibraryPath = library;
    return true;
}

} // namespace launcher
