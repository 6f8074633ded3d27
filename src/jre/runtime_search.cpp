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
#include "platform/trace.h"

namespace launcher {

namespace {

// The configured "JRE Path" as a runtime home ending with a separator. A relative
// one (isRelativeEntry, the class path's rule) lies below the launcher's
// folder, never below the current directory: "jre" and "\jre" both name the
// folder jre beside the executable. Empty when the launcher's folder is unknown,
// and for a drive-relative path ("C:jre"), which would name a folder below that
// drive's current directory.
WideString configuredRuntimeHome(const WideString& jrePath, const WideString& launcherFolder) {
    WideString home = jrePath;
    if (platform::isDriveRelative(home.view())) {
        return WideString();
    }
    if (isRelativeEntry(home.view())) {
        if (launcherFolder.empty()) {
            return WideString();
        }
        useNativeSeparators(home);
        const std::u16string_view separator(&platform::kPathSeparator, 1);
        if (!home.startsWith(separator)) {
            home.prepend(separator);
        }
        home.prepend(platform::parentPath(launcherFolder));
    }
    return platform::withSeparator(home);
}

void traceSource(std::string_view source, std::u16string_view home, std::string_view result) {
    platform::TraceLine("runtime-source")
        .add("source", source)
        .add("home", home)
        .add("result", result);
}

std::optional<RuntimeChoice> configuredRuntime(const LauncherSettings& settings,
                                               const WideString& launcherFolder) {
    if (settings.jrePath.empty()) {
        traceSource("jre-path", u"", "not-set");
        return std::nullopt;
    }
    WideString home = configuredRuntimeHome(settings.jrePath, launcherFolder);
    bool serverVm = false;
    WideString library =
        home.empty() ? WideString() : findJvmLibrary(home, settings.jvmType, serverVm);
    traceSource("jre-path", home.empty() ? settings.jrePath.view() : home.view(),
                platform::isDriveRelative(settings.jrePath.view()) ? "drive-relative"
                : library.empty()                                  ? "no-jvm-library"
                                                                   : "found");
    if (!library.empty()) {
        return RuntimeChoice{library, needsPairHandOver(settings.pairProduct, library), {}};
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
    traceSource(view == RegistryView::Natural ? "registry" : "registry-32-bit",
                candidate->home.view(), library.empty() ? "no-jvm-library" : "found");
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
        traceSource("chooser", u"", "none");
        reportError(message);
        return std::nullopt;
    }
    std::optional<ChosenRuntime> chosen =
        chooser(message, {settings.jvmType, !settings.pairProduct.empty()});
    if (!chosen || chosen->jvmLibraryPath.empty()) {
        traceSource("chooser", u"", "nothing-chosen");
        return std::nullopt;
    }
    traceSource("chooser", chosen->folder.view(), "found");
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
    if (std::optional<RuntimeChoice> configured = configuredRuntime(settings, launcherFolder)) {
        return configured;
    }
    if (std::optional<WideString> home = findPrivateRuntime(launcherFolder)) {
        bool serverVm = false;
        WideString library = findJvmLibrary(*home, settings.jvmType, serverVm);
        traceSource("private", home->view(), library.empty() ? "no-jvm-library" : "found");
        if (!library.empty()) {
            return RuntimeChoice{library, false, {}};
        }
    } else {
        traceSource("private", launcherFolder.view(), "no-runtime");
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
                                            const RunContext& context,
                                            const RuntimeChooser& chooser) {
    if (platform::traceEnabled()) {
        platform::TraceLine("runtime-requirements")
            .add("minimum", formatVersion(settings.minimumVersion).view())
            .add("maximum", isOpenBound(settings.maximumVersion)
                                ? std::u16string_view(u"none")
                                : formatVersion(settings.maximumVersion).view())
            .add("jre", settings.jvmSource.jre)
            .add("jdk", settings.jvmSource.jdk)
            .add("mixed", settings.jvmSource.mixed);
    }
    std::unique_ptr<RegistrationSource> source = systemRegistrationSource();
    std::optional<RuntimeChoice> choice =
        resolveRuntime(settings, context.launcherFolder, *source, chooser);
    if (choice) {
        platform::TraceLine("runtime-chosen")
            .add("library", choice->jvmLibraryPath.view())
            .add("hand-over", choice->pairHandOver);
    } else {
        platform::TraceLine("stop").add("reason", "no-runtime");
    }
    return choice;
}

} // namespace launcher
