// The runtime search: the configured "JRE Path", the private runtime, then the
// registered runtimes in the order that keeps older configurations choosing what
// they always chose.
#include "jre/runtime_search.h"

#include "config/ini_paths.h"
#include "jre/jvm_layout.h"
#include "jre/jvm_library.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/file_system.h"

namespace launcher {

namespace {

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

std::optional<RuntimeChoice> configuredRuntime(const LauncherSettings& settings) {
    if (!settings.jrePath.empty()) {
        WideString home = configuredRuntimeHome(settings.jrePath);
        bool serverVm = false;
        WideString library =
            home.empty() ? WideString() : findJvmLibrary(home, settings.jvmType, serverVm);
        if (!library.empty()) {
            return RuntimeChoice{library, needsPairHandOver(settings.pairProduct, library), {}};
        }
    }
    return std::nullopt;
}

// A registered runtime is probed again with the configured type: the JavaSoft JRE
// root admits one for any VM, and the server VM is the one wanted when there is one.
std::optional<RuntimeChoice> registeredRuntime(const LauncherSettings& settings,
                                               const std::optional<RuntimeCandidate>& candidate,
                                               RegistryView view) {
    if (!candidate) {
        return std::nullopt;
    }
    bool serverVm = false;
    WideString library = findJvmLibrary(candidate->home, settings.jvmType, serverVm);
    if (library.empty()) {
        return std::nullopt;
    }
    bool handOver =
        view == RegistryView::Bits32 || needsPairHandOver(settings.pairProduct, library);
    return RuntimeChoice{library, handOver, {}};
}

// The user's folder becomes the runtime; a 32-bit one goes to the companion as
// any other would.
std::optional<RuntimeChoice> chosenRuntime(const LauncherSettings& settings,
                                           const RuntimeChooser& chooser) {
    WideString message = runtimeNotFoundMessage(settings);
    if (!chooser) {
        reportError(message);
        return std::nullopt;
    }
    std::optional<ChosenRuntime> chosen = chooser(message, settings.jvmType);
    if (!chosen || chosen->jvmLibraryPath.empty()) {
        return std::nullopt;
    }
    return RuntimeChoice{chosen->jvmLibraryPath,
                         needsPairHandOver(settings.pairProduct, chosen->jvmLibraryPath),
                         chosen->folder};
}

} // namespace

WideString runtimeNotFoundMessage(const LauncherSettings& settings) {
    uint16_t id = settings.jvmType == JvmType::Server ? msg::kJreNotFoundServer : msg::kJreNotFound;
    return MessageCatalogue::format(
        id, {composeRequirementText(settings.minimumVersion, settings.maximumVersion)});
}

std::optional<WideString> findPrivateRuntime(const WideString& launcherFolder) {
    if (launcherFolder.empty()) {
        return std::nullopt;
    }
    if (platform::directoryEntryExists(launcherFolder + kRuntimeMarkerFile)) {
        return launcherFolder;
    }
    WideString nested = launcherFolder + kPrivateRuntimeFolder;
    if (platform::directoryEntryExists(nested + kRuntimeMarkerFile)) {
        return nested;
    }
    return std::nullopt;
}

std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings,
                                            const WideString& launcherFolder,
                                            RegistrationSource& source,
                                            const RuntimeChooser& chooser) {
    if (std::optional<RuntimeChoice> configured = configuredRuntime(settings)) {
        return configured;
    }
    if (std::optional<WideString> home = findPrivateRuntime(launcherFolder)) {
        bool serverVm = false;
        WideString library = findJvmLibrary(*home, settings.jvmType, serverVm);
        if (!library.empty()) {
            return RuntimeChoice{library, false, {}};
        }
    }
    using Search = std::optional<RuntimeCandidate> (*)(const LauncherSettings&, RegistryView,
                                                       RegistrationSource&);
    for (Search search : {Search(searchRegistryPass), Search(searchCurrentRegistrations)}) {
        for (RegistryView view : {RegistryView::Natural, RegistryView::Bits32}) {
            if (std::optional<RuntimeChoice> found =
                    registeredRuntime(settings, search(settings, view, source), view)) {
                return found;
            }
        }
    }
    return chosenRuntime(settings, chooser);
}

std::optional<RuntimeChoice> resolveRuntime(const LauncherSettings& settings,
                                            const RuntimeChooser& chooser) {
    WideString folder;
    if (executablePath(folder)) {
        folder = folder.left(folder.findLast(platform::kPathSeparator) + 1);
    } else {
        folder.clear();
    }
    std::unique_ptr<RegistrationSource> source = systemRegistrationSource();
    return resolveRuntime(settings, folder, *source, chooser);
}

} // namespace launcher
