// The start-up cache: which options fit the runtime, where the cache lives, and
// how a cache is written so that no start ever maps a half-written one.
#include "java/startup_cache.h"

#include "config/java_version.h"
#include "jre/jvm_layout.h"
#include "jre/runtime_registry.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/trace.h"

#include <array>
#include <string>

namespace launcher {

namespace {

constexpr std::u16string_view kClassPathOption = u"-Djava.class.path=";

class Fnv1a {
  public:
    void add(std::u16string_view text) {
        for (char16_t unit : text) {
            addByte(static_cast<uint8_t>(unit & 0xFF));
            addByte(static_cast<uint8_t>(unit >> 8));
        }
        addByte(0); // so that "ab"+"c" and "a"+"bc" differ
        addByte(0);
    }
    void add(uint64_t value) {
        for (int shift = 0; shift < 64; shift += 8) {
            addByte(static_cast<uint8_t>(value >> shift));
        }
    }
    // A file's identity, or a mark that it is missing.
    void addStamp(const WideString& path) {
        std::optional<platform::FileStamp> stamp = platform::fileStamp(path);
        add(stamp ? stamp->size : UINT64_MAX);
        add(stamp ? static_cast<uint64_t>(stamp->modified) : UINT64_MAX);
    }
    uint64_t value() const noexcept { return hash_; }

  private:
    void addByte(uint8_t byte) noexcept {
        hash_ ^= byte;
        hash_ *= 0x100000001B3ull;
    }
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

void addClassPathStamps(Fnv1a& hash, std::u16string_view classPath) {
    size_t start = 0;
    while (start <= classPath.size()) {
        size_t end = classPath.find(platform::kPathListSeparator, start);
        if (end == std::u16string_view::npos) {
            end = classPath.size();
        }
        if (end > start) {
            hash.addStamp(WideString(classPath.substr(start, end - start)));
        }
        start = end + 1;
    }
}

// The runtime's java program, when it has one.
std::optional<WideString> javaProgramOf(const WideString& home) {
    WideString program = platform::withSeparator(home) + kJavaProgram;
    return platform::fileStamp(program) ? std::optional<WideString>(program) : std::nullopt;
}

// The VM's own reports about its class cache (an archive it refuses, one it
// cannot write) are left out; later -Xlog options of the user's still win.
void addSilence(WideStringList& options, int feature) {
    options.emplace_back(u"-Xlog:cds*=off");
    if (feature >= 25) {
        options.emplace_back(u"-Xlog:aot*=off");
    }
}

// A file the VM is to write: made here first, so that an unwritable folder is
// known before the VM starts (some VMs refuse to start, or end with an error,
// when they cannot write it).
std::optional<WideString> reservePendingFile(const WideString& finalFile) {
    std::string id = std::to_string(platform::currentProcessId());
    WideString pending = finalFile + u"." + std::u16string(id.begin(), id.end()) + u".tmp";
    if (!platform::createNewFile(pending)) {
        return std::nullopt;
    }
    return pending;
}

// Files of this program's caches other than the current ones: made for another
// runtime, class path or options, or left unfinished by a start that did not
// end normally (or is still running: it then just publishes nothing).
void removeOtherCaches(const StartupCacheRequest& request, const WideString& key) {
    WideString prefix = request.name + u"-startup-";
    WideString current = prefix + key;
    WideStringList stale;
    platform::searchDirectory(request.folder + prefix + u"*", [&](const WideString& name) {
        bool ours = name.endsWith(u".jsa") || name.endsWith(u".aot") ||
                    name.endsWith(u".aotconf") || name.endsWith(u".tmp");
        bool kept =
            name == current + u".jsa" || name == current + u".aot" || name == current + u".aotconf";
        if (ours && !kept) {
            stale.push_back(name);
        }
    });
    for (const WideString& name : stale) {
        platform::removeFile(request.folder + name);
    }
}

// Turns a recorded configuration into the cache with the runtime's java program,
// which reads nothing from the user and shows nothing. True when the cache is there.
bool assembleAotCache(const WideString& javaProgram, const WideString& configuration,
                      const WideString& cache, const StartupCacheRequest& request) {
    std::optional<WideString> pending = reservePendingFile(cache);
    if (!pending) {
        return false;
    }
    WideStringList arguments{u"-XX:AOTMode=create",
                             WideString(u"-XX:AOTConfiguration=") + configuration,
                             WideString(u"-XX:AOTCache=") + *pending};
    addSilence(arguments, 25);
    arguments.insert(arguments.end(), request.options.begin(), request.options.end());
    platform::SystemError error;
    auto assembler = platform::ChildProcess::startQuietly(javaProgram, arguments, error);
    std::optional<uint32_t> code = assembler ? assembler->waitForExitCode() : std::nullopt;
    std::optional<platform::FileStamp> written = platform::fileStamp(*pending);
    if (code == 0u && written && written->size > 0 && platform::replaceFile(*pending, cache)) {
        return true;
    }
    platform::removeFile(*pending);
    return false;
}

std::optional<StartupCachePlan> planAotCache(const StartupCacheRequest& request,
                                             const WideString& base,
                                             const WideString& javaProgram) {
    StartupCachePlan plan;
    WideString cache = base + u".aot";
    WideString configuration = base + u".aotconf";
    bool cached = platform::fileStamp(cache).has_value();
    if (!cached && platform::fileStamp(configuration)) {
        cached = assembleAotCache(javaProgram, configuration, cache, request);
        platform::removeFile(configuration); // assembled or refused: either way spent
    }
    if (cached) {
        plan.options.push_back(WideString(u"-XX:AOTCache=") + cache);
        addSilence(plan.options, 25);
        return plan;
    }
    std::optional<WideString> pending = reservePendingFile(configuration);
    if (!pending) {
        return std::nullopt;
    }
    // Recording a configuration reports itself on the console, past -Xlog.
    plan.options = {u"-XX:AOTMode=record", WideString(u"-XX:AOTConfiguration=") + *pending,
                    u"-XX:+UnlockDiagnosticVMOptions", u"-XX:-DisplayVMOutput"};
    addSilence(plan.options, 25);
    plan.pendingFile = *pending;
    plan.finalFile = configuration;
    return plan;
}

std::optional<StartupCachePlan> planDynamicArchive(const StartupCacheRequest& request,
                                                   const WideString& base, int feature) {
    // Without the runtime's own base archive such a VM refuses to start.
    if (!platform::fileStamp(platform::folderOf(request.jvmLibraryPath) + u"classes.jsa")) {
        return std::nullopt;
    }
    StartupCachePlan plan;
    WideString archive = base + u".jsa";
    if (platform::fileStamp(archive)) {
        plan.options.push_back(WideString(u"-XX:SharedArchiveFile=") + archive);
        addSilence(plan.options, feature);
        return plan;
    }
    std::optional<WideString> pending = reservePendingFile(archive);
    if (!pending) {
        return std::nullopt;
    }
    plan.options.push_back(WideString(u"-XX:ArchiveClassesAtExit=") + *pending);
    addSilence(plan.options, feature);
    plan.pendingFile = *pending;
    plan.finalFile = archive;
    return plan;
}

} // namespace

// A JDK 8 keeps its release file one folder above the jre home.
int runtimeFeatureVersion(const WideString& jvmLibraryPath) {
    WideString home = runtimeHomeOf(jvmLibraryPath);
    for (const WideString& folder : {home, platform::parentPath(home)}) {
        std::string release;
        if (!readReleaseFile(platform::withSeparator(folder), 16 * 1024, release)) {
            continue;
        }
        std::optional<JavaVersion> version = releaseVersion(release);
        if (!version) {
            return 0;
        }
        return version->components[0] == 1 ? version->components[1] : version->components[0];
    }
    return 0;
}

bool choosesClassCache(std::u16string_view option) noexcept {
    constexpr std::array<std::u16string_view, 7> kOwn = {u"-XX:SharedArchiveFile",
                                                         u"-XX:ArchiveClassesAtExit",
                                                         u"-XX:AOTCache",
                                                         u"-XX:AOTConfiguration",
                                                         u"-XX:AOTMode",
                                                         u"-XX:+AutoCreateSharedArchive",
                                                         u"-Xshare:"};
    for (std::u16string_view own : kOwn) {
        if (option.starts_with(own)) {
            return true;
        }
    }
    return false;
}

WideString startupCacheKey(const StartupCacheRequest& request) {
    Fnv1a hash;
    hash.add(request.jvmLibraryPath);
    hash.addStamp(request.jvmLibraryPath);
    for (const WideString& option : request.options) {
        hash.add(option);
        if (option.startsWith(kClassPathOption)) {
            addClassPathStamps(hash, std::u16string_view(option).substr(kClassPathOption.size()));
        }
    }
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string digits(16, u'0');
    uint64_t value = hash.value();
    for (size_t i = 16; i-- > 0; value >>= 4) {
        digits[i] = kDigits[value & 0xF];
    }
    return WideString(digits);
}

namespace {

std::optional<StartupCachePlan> noStartupCache(std::string_view reason) {
    platform::TraceLine("startup-cache").add("result", "none").add("reason", reason);
    return std::nullopt;
}

} // namespace

std::optional<StartupCachePlan> planStartupCache(const StartupCacheRequest& request) {
    if (request.folder.empty() || request.name.empty()) {
        return noStartupCache("no-per-user-folder");
    }
    for (const WideString& option : request.options) {
        if (choosesClassCache(option)) {
            return noStartupCache("own-cache-option");
        }
    }
    int feature = runtimeFeatureVersion(request.jvmLibraryPath);
    if (feature < 13) {
        return noStartupCache("runtime-too-old");
    }
    WideString key = startupCacheKey(request);
    removeOtherCaches(request, key);
    WideString base = request.folder + request.name + u"-startup-" + key;
    std::optional<WideString> javaProgram = javaProgramOf(runtimeHomeOf(request.jvmLibraryPath));
    bool aot = feature >= 25 && javaProgram;
    std::optional<StartupCachePlan> plan = aot ? planAotCache(request, base, *javaProgram)
                                               : planDynamicArchive(request, base, feature);
    if (!plan) {
        return noStartupCache("cache-not-usable");
    }
    if (platform::traceEnabled()) {
        platform::TraceLine("startup-cache")
            .add("result", plan->pendingFile.empty() ? "use" : "write")
            .add("kind", aot ? "aot" : "dynamic-archive")
            .add("runtime", feature)
            .add("file", base.view());
        for (const WideString& option : plan->options) {
            platform::TraceLine("startup-cache-option").add("value", option.view());
        }
    }
    return plan;
}

void publishStartupCache(const StartupCachePlan& plan) {
    if (plan.pendingFile.empty()) {
        return;
    }
    std::optional<platform::FileStamp> written = platform::fileStamp(plan.pendingFile);
    bool published =
        written && written->size > 0 && platform::replaceFile(plan.pendingFile, plan.finalFile);
    platform::TraceLine("startup-cache-published")
        .add("file", plan.finalFile.view())
        .add("published", published);
    if (!published) {
        platform::removeFile(plan.pendingFile);
    }
}

} // namespace launcher
