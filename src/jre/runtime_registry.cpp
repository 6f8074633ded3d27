// Registered runtimes: admitted by the settings, ranked and chosen, whatever
// system listed them.
#include "jre/runtime_registry.h"

#include "jre/jvm_library.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/trace.h"

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

const char* viewName(RegistryView view) {
    return view == RegistryView::Natural ? "natural" : "32-bit";
}

const char* kindName(RuntimeKind kind) {
    return kind == RuntimeKind::Jdk ? "jdk" : "jre";
}

const char* providerName(RuntimeProvider provider) {
    switch (provider) {
    case RuntimeProvider::Sun:
        return "sun";
    case RuntimeProvider::JRockit:
        return "jrockit";
    case RuntimeProvider::Ibm:
        return "ibm";
    }
    return "";
}

// Why the settings leave a kind or provider out, or nullptr when they do not.
const char* exclusionReason(const LauncherSettings& settings, RuntimeKind kind,
                            RuntimeProvider provider) {
    if (!settings.jvmSource.reads(kind)) {
        return "kind";
    }
    if (!settings.vmProvider.reads(provider)) {
        return "provider";
    }
    return nullptr;
}

// Why a version is outside the bounds, or nullptr when it is within them.
const char* boundsReason(const JavaVersion& version, const LauncherSettings& settings) {
    if (isWithinBounds(version, settings.minimumVersion, settings.maximumVersion)) {
        return nullptr;
    }
    return compareVersions(version, settings.minimumVersion) < 0 ? "below-minimum"
                                                                 : "above-maximum";
}

void traceCandidate(std::string_view search, const Registration& registration, RegistryView view,
                    const JavaVersion& version, std::string_view result,
                    std::u16string_view home = {}) {
    if (!platform::traceEnabled()) {
        return;
    }
    platform::TraceLine line("registry-candidate");
    line.add("search", search)
        .add("view", viewName(view))
        .add("name", registration.name.view())
        .add("kind", kindName(registration.kind))
        .add("provider", providerName(registration.provider))
        .add("version", formatVersion(version).view())
        .add("home", home.empty() ? registration.home.view() : home)
        .add("result", result);
}

// Adds the runtime when it has a library for the type; the library itself is
// looked up again once the runtime is chosen.
void addCandidate(std::vector<RuntimeCandidate>& candidates, const LauncherSettings& settings,
                  const Registration& registration, const JavaVersion& version, WideString home,
                  JvmType probeType, std::string_view search, RegistryView view) {
    bool serverVm = false;
    bool found = !findJvmLibrary(home, probeType, serverVm).empty();
    traceCandidate(search, registration, view, version, found ? "admitted" : "no-jvm-library",
                   home.view());
    if (!found) {
        return;
    }
    candidates.push_back({version, std::move(home), serverVm,
                          isPreferred(settings, registration.kind, registration.provider)});
}

std::optional<RuntimeCandidate> rankAndChoose(std::vector<RuntimeCandidate>& candidates,
                                              const LauncherSettings& settings,
                                              std::string_view search, RegistryView view) {
    rankCandidates(candidates, settings);
    std::optional<RuntimeCandidate> chosen =
        chooseCandidate(candidates, settings.preferredVersions);
    if (platform::traceEnabled()) {
        for (const RuntimeCandidate& candidate : candidates) {
            platform::TraceLine("registry-ranked")
                .add("search", search)
                .add("view", viewName(view))
                .add("version", formatVersion(candidate.version).view())
                .add("home", candidate.home.view())
                .add("server-vm", candidate.serverVm)
                .add("preferred", candidate.preferred)
                .add("chosen", chosen && chosen->home == candidate.home);
        }
        platform::TraceLine("registry-search")
            .add("search", search)
            .add("view", viewName(view))
            .add("candidates", candidates.size())
            .add("result", chosen ? std::u16string_view(chosen->home.view()) : u"none");
    }
    return chosen;
}

} // namespace

bool isSelected(const LauncherSettings& settings, RuntimeKind kind, RuntimeProvider provider) {
    return settings.jvmSource.reads(kind) && settings.vmProvider.reads(provider);
}

bool isPreferred(const LauncherSettings& settings, RuntimeKind kind, RuntimeProvider provider) {
    return settings.jvmSource.asksFor(kind) && settings.vmProvider.favours(provider);
}

void rankCandidates(std::vector<RuntimeCandidate>& candidates, const LauncherSettings& settings) {
    bool byPreference = settings.jvmSource.mixed;
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
        if (const char* reason = exclusionReason(settings, root.kind, root.provider)) {
            platform::TraceLine("registry-root")
                .add("view", viewName(view))
                .add("key", root.key)
                .add("searched", false)
                .add("reason", reason);
            continue;
        }
        JvmType probeType = root.probesFavorServerAsAny && settings.jvmType == JvmType::FavorServer
                                ? JvmType::Any
                                : settings.jvmType;
        std::vector<Registration> registrations = source.rootEntries(root, view);
        platform::TraceLine("registry-root")
            .add("view", viewName(view))
            .add("key", root.key)
            .add("searched", true)
            .add("entries", registrations.size());
        for (const Registration& registration : registrations) {
            JavaVersion version = parseVersion(registration.name, 0);
            if (const char* reason = boundsReason(version, settings)) {
                traceCandidate("keys", registration, view, version, reason);
                continue;
            }
            WideString home = platform::withSeparator(registration.home);
            if (root.kind == RuntimeKind::Jdk) {
                home.append(u"jre").append(platform::kPathSeparator);
            }
            addCandidate(candidates, settings, registration, version, std::move(home), probeType,
                         "keys", view);
        }
    }
    return rankAndChoose(candidates, settings, "keys", view);
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
        if (const char* reason =
                exclusionReason(settings, registration.kind, registration.provider)) {
            traceCandidate("current", registration, view, JavaVersion{}, reason);
            continue;
        }
        WideString home = platform::withSeparator(registration.home);
        std::string release;
        std::optional<JavaVersion> own;
        if (readReleaseFile(home, kReleaseLimit, release)) {
            own = releaseVersion(release);
        }
        JavaVersion version = own ? *own : parseVersion(registration.name, 0);
        if (const char* reason = boundsReason(version, settings)) {
            traceCandidate("current", registration, view, version, reason);
            continue;
        }
        addCandidate(candidates, settings, registration, version, std::move(home), settings.jvmType,
                     "current", view);
    }
    return rankAndChoose(candidates, settings, "current", view);
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

bool readReleaseFile(const WideString& home, size_t limit, std::string& text) {
    platform::SystemError error;
    std::optional<platform::File> file = platform::File::open(home + u"release", error);
    if (!file || file->kind() != platform::FileKind::Regular) {
        return false;
    }
    text = file->readPrefix(limit);
    return true;
}

} // namespace launcher
