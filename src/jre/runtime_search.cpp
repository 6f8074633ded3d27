#include "jre/runtime_search.h"

#include "core/error_output.h"
#include "core/launcher.h"
#include "core/message_catalogue.h"
#include "core/message_ids.h"
#include "platform/file_system.h"

namespace launcher {

namespace {

// What the JRE-not-found dialog would say, printed while there is no dialog.
void reportRuntimeNotFound(const LauncherSettings& settings) {
    uint16_t id = settings.jvmType == JvmType::Server ? msg::kJreNotFoundServer : msg::kJreNotFound;
    reportError(MessageCatalogue::format(
        id, {composeRequirementText(settings.minimumVersion, settings.maximumVersion)}));
}

} // namespace

// Only the configured "JRE Path" is searched so far.
bool resolveRuntime(Launcher& launcher) {
    const LauncherSettings& settings = launcher.settings;
    if (!settings.jrePath.empty()) {
        WideString home = settings.jrePath;
        if (!home.endsWith(platform::kPathSeparator)) {
            home.append(platform::kPathSeparator);
        }
        bool serverVm = false;
        WideString library = findJvmLibrary(home, settings.jvmType, serverVm);
        if (!library.empty()) {
            launcher.pairHandOver = needsPairHandOver(settings, library);
            launcher.jvmLibraryPath = library;
            return true;
        }
    }
    reportRuntimeNotFound(settings);
    return false;
}

} // namespace launcher
