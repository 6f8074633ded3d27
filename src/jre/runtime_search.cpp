// The runtime search: the configured "JRE Path" first.
#include "jre/runtime_search.h"

#include "config/ini_paths.h"
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

// The configured "JRE Path" as a runtime home ending with a separator. A relative
// one (platform::isRelativeEntry, the class path's rule) lies below the launcher's
// folder, never below the current directory: "jre" and "\jre" both name the
// folder jre beside the executable. Empty when the executable's path is unknown.
WideString configuredRuntimeHome(const WideString& jrePath) {
    WideString home = jrePath;
    if (platform::isRelativeEntry(home.view())) {
        WideString executable;
        if (!executablePath(executable)) {
            return WideString();
        }
        platform::useNativeSeparators(home);
        const std::u16string_view separator(&platform::kPathSeparator, 1);
        if (!home.startsWith(separator)) {
            home.prepend(separator);
        }
        home.prepend(executable.left(executable.findLast(platform::kPathSeparator)));
    }
    if (!home.endsWith(platform::kPathSeparator)) {
        home.append(platform::kPathSeparator);
    }
    return home;
}

} // namespace

// Only the configured "JRE Path" is searched so far.
std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings) {
    if (!settings.jrePath.empty()) {
        WideString home = configuredRuntimeHome(settings.jrePath);
        bool serverVm = false;
        WideString library =
            home.empty() ? WideString() : findJvmLibrary(home, settings.jvmType, serverVm);
        if (!library.empty()) {
            return RuntimeChoice{library, needsPairHandOver(settings.pairProduct, library)};
        }
    }
    reportRuntimeNotFound(settings);
    return std::nullopt;
}

} // namespace launcher
