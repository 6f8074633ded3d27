// Registered runtimes: admitted by the settings, ranked and chosen, whatever
// system listed them.
#include "jre/runtime_registry.h"

#include "jre/jvm_library.h"
#include "platform/file_system.h"

#include <algorithm>

namespace launcher {

const std::array<RegistryRoot, 5> kRegistryRoots = {{
    {u"Software\\JavaSoft\\Java Development Kit\\", RuntimeKind::Jdk, RuntimeProvider::Sun, false},
    {u"Software\\JavaSoft\\Java Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::Sun,
     true},
    {u"Software\\JRockit\\Java Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::JRockit,
     false},
    {u"Software\\JRockit\\Java Development Kit\\", RuntimeKind::Jdk, RuntimeProvider::JRockit,
     false},
    {u"Software\\IBM\\Java2 Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::Ibm, false},
}};

namespace {

bool kindSearched(const LauncherSettings& settings, RuntimeKind kind) {
    return settings.sourceMixed ||
           (kind == RuntimeKind::Jdk ? settings.sourceJdk : settings.sourceJre);
}

bool providerSearched(const LauncherSettings& settings, RuntimeProvider provider) {
    switch (provider) {
    case RuntimeProvider::Sun:
        return settings.sunAllowed || settings.sunFavoured;
    case RuntimeProvider::JRockit:
        return settings.jrockitAllowed || settings.jrockitFavoured;
    case RuntimeProvider::Ibm:
        return settings.ibmAllowed || settings.ibmFavoured;
    }
    return false;
}

bool providerFavoured(const LauncherSettings& settings, RuntimeProvider provider) {
    switch (provider) {
    case RuntimeProvider::Sun:
        return settings.sunFavoured;
    case RuntimeProvider::JRockit:
        return settings.jrockitFavoured;
    case RuntimeProvider::Ibm:
        return settings.ibmFavoured;
    }
    return false;
}

WideString withSeparator(WideString folder) {
    if (!folder.endsWith(platform::kPathSeparator)) {
        folder.append(platform::kPathSeparator);
    }
    return folder;
}

// Adds the runtime when it has a library for the type; the library itself is
// looked up again once the runtime is chosen.
void addCandidate(std::vector<RuntimeCandidate>& candidates, const LauncherSettings& settings,
                  const Registration& registration, const JavaVersion& version, WideString home,
                  JvmType probeType) {
    bool serverVm = false;
    if (findJvmLibrary(home, probeType, serverVm).empty()) {
        return;
    }
    candidates.push_back({version, std::move(home), serverVm,
                          isPreferred(settings, registration.kind, registration.provider)});
}

std::optional<RuntimeCandidate> rankAndChoose(std::vector<RuntimeCandidate>& candidates,
                                              const LauncherSettings& settings) {
    rankCandidates(candidates, settings);
    return chooseCandidate(candidates, settings.preferredVersions);
}

} // namespace

bool isSelected(const LauncherSettings& settings, RuntimeKind kind, RuntimeProvider provider) {
    return kindSearched(settings, kind) && providerSearched(settings, provider);
}

bool isPreferred(const LauncherSettings& settings, RuntimeKind kind, RuntimeProvider provider) {
    bool kindAskedFor = kind == RuntimeKind::Jdk ? settings.sourceJdk : settings.sourceJre;
    return kindAskedFor && providerFavoured(settings, provider);
}

void rankCandidates(std::vector<RuntimeCandidate>& candidates, const LauncherSettings& settings) {
    bool byPreference = settings.sourceMixed;
    bool byServerVm = settings.jvmType == JvmType::FavorServer;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const RuntimeCandidate& a, const RuntimeCandidate& b) {
                         if (byPreference && a.preferred != b.preferred) {
                             return a.preferred;
                         }
                         if (byServerVm && a.serverVm != b.serverVm) {
                             return a.serverVm;
                         }
                         return compareVersions(a.version, b.version) > 0;
                     });
}

// An entry without digits would match every version: it is passed over, so that
// an empty entry between two separators does not hide the entries after it.
std::optional<RuntimeCandidate> chooseCandidate(std::span<const RuntimeCandidate> ranked,
                                                const WideStringList& preferredVersions) {
    if (ranked.empty()) {
        return std::nullopt;
    }
    for (const WideString& entry : preferredVersions) {
        JavaVersion wanted = parseVersion(entry, 0);
        if (wanted == JavaVersion{}) {
            continue;
        }
        for (const RuntimeCandidate& candidate : ranked) {
            if (matchesPreferred(candidate.version, wanted)) {
                return candidate;
            }
        }
    }
    return ranked.front();
}

std::optional<RuntimeCandidate> searchRegistryPass(const LauncherSettings& settings,
                                                   RegistryView view, RegistrationSource& source) {
    if (view == RegistryView::Bits32 && settings.pairProduct.empty()) {
        return std::nullopt;
    }
    std::vector<RuntimeCandidate> candidates;
    for (const RegistryRoot& root : kRegistryRoots) {
        if (!isSelected(settings, root.kind, root.provider)) {
            continue;
        }
        JvmType probeType = root.probesFavorServerAsAny && settings.jvmType == JvmType::FavorServer
                                ? JvmType::Any
                                : settings.jvmType;
        for (const Registration& registration : source.rootEntries(root, view)) {
            JavaVersion version = parseVersion(registration.name, 0);
            if (!isWithinBounds(version, settings.minimumVersion, settings.maximumVersion)) {
                continue;
            }
            WideString home = withSeparator(registration.home);
            if (root.kind == RuntimeKind::Jdk) {
                home.append(u"jre").append(platform::kPathSeparator);
            }
            addCandidate(candidates, settings, registration, version, std::move(home), probeType);
        }
    }
    return rankAndChoose(candidates, settings);
}

// Installers of JDK 9 and later write version keys such as 17 or zulu-17 that do
// not always say the update; the runtime's own `release` file does.
std::optional<RuntimeCandidate> searchCurrentRegistrations(const LauncherSettings& settings,
                                                           RegistryView view,
                                                           RegistrationSource& source) {
    if (view == RegistryView::Bits32 && settings.pairProduct.empty()) {
        return std::nullopt;
    }
    constexpr size_t kReleaseLimit = 16 * 1024;
    std::vector<RuntimeCandidate> candidates;
    for (const Registration& registration : source.currentRegistrations(view)) {
        if (!isSelected(settings, registration.kind, registration.provider)) {
            continue;
        }
        WideString home = withSeparator(registration.home);
        std::string release;
        std::optional<JavaVersion> own;
        if (readReleaseFile(home, kReleaseLimit, release)) {
            own = releaseVersion(release);
        }
        JavaVersion version = own ? *own : parseVersion(registration.name, 0);
        if (!isWithinBounds(version, settings.minimumVersion, settings.maximumVersion)) {
            continue;
        }
        addCandidate(candidates, settings, registration, version, std::move(home),
                     settings.jvmType);
    }
    return rankAndChoose(candidates, settings);
}

std::optional<JavaVersion> releaseVersion(std::string_view releaseText) {
    constexpr std::string_view kKey = "JAVA_VERSION=";
    size_t at = 0;
    while (at < releaseText.size()) {
        size_t end = releaseText.find('\n', at);
        std::string_view line =
            releaseText.substr(at, end == std::string_view::npos ? end : end - at);
        at = end == std::string_view::npos ? releaseText.size() : end + 1;
        if (!line.starts_with(kKey)) {
            continue;
        }
        line.remove_prefix(kKey.size());
        std::u16string value(line.begin(), line.end()); // only ASCII digits matter
        JavaVersion version;
        if (parseVersion(value, 0, version)) {
            return version;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace launcher
