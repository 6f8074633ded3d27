// The runtime search: the configured "JRE Path" first.
#include "jre/runtime_search.h"

#include "jre/jvm_library.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
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
std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings) {
    if (!settings.jrePath.empty()) {
        WideString home = settings.jrePath;
        if (!home.endsWith(platform::kPathSeparator)) {
            home.append(platform::kPathSeparator);
        }
        bool serverVm = false;
        WideString library = findJvmLibrary(home, settings.jvmType, serverVm);
        if (!library.empty()) {
            return RuntimeChoice{library, needsPairHandOver(settings.pairProduct, library)};
        }
    }
    reportRuntimeNotFound(settings);
    return std::nullopt;
}

} // namespace launcher
