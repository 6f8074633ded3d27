// The start-up cache: when the VM can honour one, which options fit the runtime,
// where the cache lives, and how a cache is written so that no start ever maps a
// half-written or stale one, nor tries a failing one again.
#include "java/startup_cache.h"

#include "config/ini_paths.h"
#include "config/java_version.h"
#include "jre/jvm_layout.h"
#include "jre/runtime_registry.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/private_files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "platform/user_folders.h"

#include <array>
#include <climits>
#include <string>

namespace launcher {

namespace {

constexpr std::u16string_view kClassPathOption = u"-Djava.class.path=";
// Built from the inherited search path, which differs from shell to shell, and
// no part of what the VM archives.
constexpr std::u16string_view kLibraryPathOption = u"-Djava.library.path=";

// Where a cache cannot work. One row per option or condition: a new case is one
// more row.
enum class Condition { Runtime, OptionStartsWith, OptionIs, FolderBeforeJar };

struct NoCacheRule {
    Condition condition;
    std::u16string_view option; // the option, or how it begins
    int fromFeature, toFeature; // the runtimes the row holds for
    std::string_view reason;    // what the trace says
};

constexpr int kEvery = INT_MAX;

constexpr std::array<NoCacheRule, 16> kNoCacheRules = {{
    {Condition::Runtime, u"", 0, 12, "runtime-too-old"},
    // A VM with a native agent refuses to write an archive; one with a Java agent
    // refuses too (17) or records what it cannot assemble (25).
    {Condition::OptionStartsWith, u"-agentlib:", 0, kEvery, "agent"},
    {Condition::OptionStartsWith, u"-agentpath:", 0, kEvery, "agent"},
    {Condition::OptionStartsWith, u"-javaagent:", 0, kEvery, "agent"},
    // Sharing turned off, a reduced module graph or a patched module: the VM
    // refuses to start with cache options.
    {Condition::OptionIs, u"-XX:-UseSharedSpaces", 0, kEvery, "sharing-off"},
    {Condition::OptionStartsWith, u"--limit-modules", 0, kEvery, "limited-modules"},
    {Condition::OptionStartsWith, u"--patch-module", 0, kEvery, "patched-modules"},
    // The user's own class cache or sharing mode wins.
    {Condition::OptionStartsWith, u"-XX:SharedArchiveFile", 0, kEvery, "own-cache-option"},
    {Condition::OptionStartsWith, u"-XX:ArchiveClassesAtExit", 0, kEvery, "own-cache-option"},
    {Condition::OptionStartsWith, u"-XX:AOTCache", 0, kEvery, "own-cache-option"},
    {Condition::OptionStartsWith, u"-XX:AOTConfiguration", 0, kEvery, "own-cache-option"},
    {Condition::OptionStartsWith, u"-XX:AOTMode", 0, kEvery, "own-cache-option"},
    {Condition::OptionStartsWith, u"-XX:+AutoCreateSharedArchive", 0, kEvery, "own-cache-option"},
    {Condition::OptionStartsWith, u"-Xshare:", 0, kEvery, "own-cache-option"},
    // Where the VM's own output goes while it records is the launcher's choice.
    {Condition::OptionIs, u"-XX:+DisplayVMOutputToStdout", 25, kEvery, "own-output-option"},
    // An archive cannot hold a class path with a non-empty folder before a jar:
    // the VM ends with an error at every start.
    {Condition::FolderBeforeJar, u"", 0, kEvery, "folder-before-jar"},
}};

bool holdsFor(const NoCacheRule& rule, int feature) noexcept {
    return feature >= rule.fromFeature && feature <= rule.toFeature;
}

bool optionMatches(const NoCacheRule& rule, std::u16string_view option) noexcept {
    switch (rule.condition) {
    case Condition::OptionStartsWith:
        return option.starts_with(rule.option);
    case Condition::OptionIs:
        return option == rule.option;
    default:
        return false;
    }
}

std::optional<std::string_view> optionRule(std::u16string_view option, int feature) {
    for (const NoCacheRule& rule : kNoCacheRules) {
        if (holdsFor(rule, feature) && optionMatches(rule, option)) {
            return rule.reason;
        }
    }
    return std::nullopt;
}

WideStringList classPathEntries(const WideStringList& options) {
    WideStringList entries;
    for (const WideString& option : options) {
        if (!option.startsWith(kClassPathOption)) {
            continue;
        }
        std::u16string_view list = option.view().substr(kClassPathOption.size());
        entries.clear(); // the VM takes the last one
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(platform::kPathListSeparator, start);
            end = end == std::u16string_view::npos ? list.size() : end;
            if (end > start) {
                entries.emplace_back(list.substr(start, end - start));
            }
            start = end + 1;
        }
    }
    return entries;
}

bool isNonEmptyFolder(const WideString& path) {
    std::optional<platform::FileIdentity> identity = platform::fileIdentity(path);
    if (!identity) {
        return false;
    }
    bool any = false;
    platform::searchDirectory(platform::withSeparator(path) + u"*", [&](const WideString& name) {
        any = any || (name != u"." && name != u"..");
    });
    return any;
}

bool isRegularFile(const WideString& path) {
    platform::SystemError error;
    std::optional<platform::File> file = platform::File::open(path, error);
    return file && file->kind() == platform::FileKind::Regular;
}

bool folderBeforeJar(const WideStringList& entries) {
    bool folderSeen = false;
    for (const WideString& entry : entries) {
        if (isRegularFile(entry)) {
            if (folderSeen) {
                return true;
            }
        } else if (isNonEmptyFolder(entry)) {
            folderSeen = true;
        }
    }
    return false;
}

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
    // Text that names files, as the system compares file names.
    void addName(std::u16string_view text) { add(platform::foldedForFileNames(text).view()); }
    // The identity the system keeps of a file, or a mark that it is missing:
    // also its change time, which no unpacker or copy sets, so that a file
    // replaced by one of the same size and time still gives another key.
    void addIdentity(const WideString& path) {
        std::optional<platform::FileIdentity> identity = platform::fileIdentity(path);
        add(identity ? identity->device : UINT64_MAX);
        add(identity ? identity->index : UINT64_MAX);
        add(identity ? identity->size : UINT64_MAX);
        add(identity ? static_cast<uint64_t>(identity->modified) : UINT64_MAX);
        add(identity ? static_cast<uint64_t>(identity->changed) : UINT64_MAX);
    }
    uint64_t value() const noexcept { return hash_; }

  private:
    void addByte(uint8_t byte) noexcept {
        hash_ ^= byte;
        hash_ *= 0x100000001B3ull;
    }
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

WideString hexDigits(uint64_t value, size_t count) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string digits(count, u'0');
    for (size_t i = count; i-- > 0; value >>= 4) {
        digits[i] = kDigits[value & 0xF];
    }
    return WideString(digits);
}

// Installed copies of one program share the product's folder: each keeps and
// removes only the files named after its own executable.
WideString installationId(const WideString& executablePath) {
    Fnv1a hash;
    hash.addName(executablePath);
    return hexDigits(hash.value(), 8);
}

WideString ownPrefix(const StartupCacheRequest& request) {
    return request.name + u"-startup-" + installationId(request.executablePath).view() + u"-";
}

bool startsWithName(std::u16string_view name, std::u16string_view prefix) {
    return name.size() >= prefix.size() &&
           platform::fileNamesEqual(name.substr(0, prefix.size()), prefix);
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

WideString processTag() {
    std::string id = std::to_string(platform::currentProcessId());
    return WideString(std::u16string(id.begin(), id.end()));
}

// A file the VM is to write: made here first, so that an unwritable folder is
// known before the VM starts (some VMs refuse to start, or end with an error,
// when they cannot write it).
std::optional<WideString> reservePendingFile(const WideString& finalFile) {
    WideString pending = finalFile + u"." + processTag().view() + u".tmp";
    if (!platform::createNewFile(pending)) {
        return std::nullopt;
    }
    return pending;
}

// What a usable cache file must be: there, and this user's alone.
bool usableFile(const WideString& path) {
    return platform::fileStamp(path).has_value() && platform::onlyThisUserMayWrite(path);
}

void removeOwnFile(const WideString& path) {
    if (platform::onlyThisUserMayWrite(path)) {
        platform::removeFile(path);
    }
}

bool isCacheFileName(std::u16string_view name) {
    for (std::u16string_view end : {u".jsa", u".aot", u".aotconf", u".tried", u".tmp"}) {
        if (name.size() >= end.size() &&
            platform::fileNamesEqual(name.substr(name.size() - end.size()), end)) {
            return true;
        }
    }
    return false;
}

// Files of this installed program's caches made for another runtime, class path
// or options; those of the current key stay (an attempt may be under way).
void removeOtherCaches(const StartupCacheRequest& request, const WideString& key) {
    WideString prefix = ownPrefix(request);
    WideString current = prefix + key;
    WideStringList stale;
    platform::searchDirectory(request.folder + prefix + u"*", [&](const WideString& name) {
        if (startsWithName(name, prefix) && !startsWithName(name, current) &&
            isCacheFileName(name)) {
            stale.push_back(name);
        }
    });
    for (const WideString& name : stale) {
        removeOwnFile(request.folder + name);
    }
}

// What earlier attempts of this key left unfinished, once none is under way.
void removeUnfinished(const WideString& folder, const WideString& base) {
    WideString baseName = platform::fileNameOf(base);
    WideStringList unfinished;
    platform::searchDirectory(base + u"*.tmp", [&](const WideString& name) {
        if (startsWithName(name, baseName)) {
            unfinished.push_back(name);
        }
    });
    for (const WideString& name : unfinished) {
        removeOwnFile(folder + name);
    }
}

// Made before an attempt and removed only by its success, so that one that
// failed, or never came back, is not tried again until the key changes.
bool markAttempt(const WideString& attemptFile) {
    return platform::createNewFile(attemptFile);
}

std::string quotedArgument(std::u16string_view argument) {
    std::string text = "\"";
    for (char unit : platform::wideToNarrow(argument)) {
        if (unit == '\\' || unit == '"') {
            text += '\\';
        }
        text += unit;
    }
    return text + "\"\n";
}

// Turns a recorded configuration into the cache with the runtime's java program,
// which reads nothing from the user and shows nothing. Its arguments go through
// a file, so that a class path of any length reaches it. True when the cache is
// there.
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
    WideString argumentFile = cache + u"." + processTag().view() + u".args.tmp";
    std::optional<uint32_t> code;
    if (platform::writeFileAtomically(argumentFile, argumentFileText(arguments))) {
        platform::SystemError error;
        auto assembler = platform::ChildProcess::startQuietly(
            javaProgram, {WideString(u"@") + argumentFile}, error);
        code = assembler ? assembler->waitForExitCode() : std::nullopt;
    }
    platform::removeFile(argumentFile);
    std::optional<platform::FileStamp> written = platform::fileStamp(*pending);
    bool assembled =
        code == 0u && written && written->size > 0 && platform::replaceFile(*pending, cache);
    platform::TraceLine("startup-cache-assembled")
        .add("exit-code", code ? static_cast<int64_t>(*code) : -1)
        .add("assembled", assembled);
    if (!assembled) {
        platform::removeFile(*pending);
    }
    return assembled;
}

std::optional<StartupCachePlan> noStartupCache(std::string_view reason) {
    platform::TraceLine("startup-cache").add("result", "none").add("reason", reason);
    return std::nullopt;
}

std::optional<StartupCachePlan> usingCache(std::u16string_view option, const WideString& file,
                                           int feature) {
    StartupCachePlan plan;
    plan.options.push_back(WideString(option) + file.view());
    addSilence(plan.options, feature);
    return plan;
}

// A recording or writing start: the attempt is marked, the file reserved.
std::optional<StartupCachePlan> attempt(const WideString& base, const WideString& finalFile,
                                        const WideString& folder) {
    StartupCachePlan plan;
    plan.attemptFile = base + u".tried";
    if (!markAttempt(plan.attemptFile)) {
        return noStartupCache(platform::fileStamp(plan.attemptFile) ? "earlier-attempt-failed"
                                                                    : "cache-not-usable");
    }
    removeUnfinished(folder, base);
    std::optional<WideString> pending = reservePendingFile(finalFile);
    if (!pending) {
        platform::removeFile(plan.attemptFile);
        return noStartupCache("cache-not-usable");
    }
    plan.pendingFile = *pending;
    plan.finalFile = finalFile;
    return plan;
}

std::optional<StartupCachePlan> planAotCache(const StartupCacheRequest& request,
                                             const WideString& base,
                                             const WideString& javaProgram) {
    WideString cache = base + u".aot";
    WideString configuration = base + u".aotconf";
    WideString attemptFile = base + u".tried";
    if (platform::fileStamp(cache)) {
        if (!usableFile(cache)) {
            return noStartupCache("cache-file-not-private");
        }
        return usingCache(u"-XX:AOTCache=", cache, 25);
    }
    if (platform::fileStamp(configuration)) {
        if (!usableFile(configuration)) {
            return noStartupCache("cache-file-not-private");
        }
        if (!markAttempt(attemptFile)) {
            return noStartupCache("earlier-attempt-failed");
        }
        bool assembled = assembleAotCache(javaProgram, configuration, cache, request);
        removeOwnFile(configuration); // assembled or refused: either way spent
        if (!assembled) {
            return noStartupCache("assembly-failed");
        }
        platform::removeFile(attemptFile);
        return usingCache(u"-XX:AOTCache=", cache, 25);
    }
    std::optional<StartupCachePlan> plan = attempt(base, configuration, request.folder);
    if (!plan) {
        return plan;
    }
    // Recording reports itself on the console, past -Xlog: that start's VM
    // output goes to standard error, so that standard output stays the
    // application's and nothing the VM prints is lost.
    plan->options = {u"-XX:AOTMode=record",
                     WideString(u"-XX:AOTConfiguration=") + plan->pendingFile,
                     u"-XX:+DisplayVMOutputToStderr"};
    addSilence(plan->options, 25);
    return plan;
}

std::optional<StartupCachePlan> planDynamicArchive(const StartupCacheRequest& request,
                                                   const WideString& base, int feature) {
    // Without the runtime's own base archive such a VM refuses to start.
    if (!platform::fileStamp(platform::folderOf(request.jvmLibraryPath) + u"classes.jsa")) {
        return noStartupCache("no-base-archive");
    }
    WideString archive = base + u".jsa";
    if (platform::fileStamp(archive)) {
        if (!usableFile(archive)) {
            return noStartupCache("cache-file-not-private");
        }
        return usingCache(u"-XX:SharedArchiveFile=", archive, feature);
    }
    std::optional<StartupCachePlan> plan = attempt(base, archive, request.folder);
    if (!plan) {
        return plan;
    }
    plan->options.push_back(WideString(u"-XX:ArchiveClassesAtExit=") + plan->pendingFile);
    addSilence(plan->options, feature);
    return plan;
}

// One level of the product's cache folder: made when missing, and refused when
// it is not this user's alone.
bool privateLevel(const WideString& folder, std::string_view& problem) {
    bool made = false;
    if (platform::createPrivateFolderLevel(folder, made) != 0) {
        problem = "cache-folder-not-made";
        return false;
    }
    if (!made && !platform::onlyThisUserMayWrite(folder)) {
        problem = "cache-folder-not-private";
        return false;
    }
    return true;
}

bool isFolderName(std::u16string_view name) {
    return !name.empty() && name != u"." && name != u"..";
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

WideString startupCacheFolder(const WideString& productName, const WideString& productCode,
                              std::string_view& problem) {
    WideString root = platform::userCacheFolder();
    WideString product = productFolderName(productName);
    WideString code = productFolderName(productCode);
    if (root.empty() || !isFolderName(product) || !isFolderName(code)) {
        problem = "no-cache-folder";
        return WideString();
    }
    bool made = false;
    if (platform::createPrivateFolderLevel(root, made) != 0) {
        problem = "cache-folder-not-made";
        return WideString();
    }
    WideString folder = platform::withSeparator(root) + product;
    if (!privateLevel(folder, problem)) {
        return WideString();
    }
    folder = platform::withSeparator(folder) + code;
    if (!privateLevel(folder, problem)) {
        return WideString();
    }
    return platform::withSeparator(folder);
}

bool choosesClassCache(std::u16string_view option) noexcept {
    for (const NoCacheRule& rule : kNoCacheRules) {
        if (rule.reason == "own-cache-option" && optionMatches(rule, option)) {
            return true;
        }
    }
    return false;
}

WideStringList splitToolOptions(std::u16string_view text) {
    WideStringList options;
    std::u16string current;
    bool inOption = false;
    char16_t quote = 0;
    for (char16_t unit : text) {
        if (quote != 0) {
            if (unit == quote) {
                quote = 0;
            } else {
                current += unit;
            }
        } else if (unit == u'"' || unit == u'\'') {
            quote = unit;
            inOption = true;
        } else if (unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r') {
            if (inOption) {
                options.emplace_back(current);
            }
            current.clear();
            inOption = false;
        } else {
            current += unit;
            inOption = true;
        }
    }
    if (inOption) {
        options.emplace_back(current);
    }
    return options;
}

std::optional<CacheObstacle> findCacheObstacle(const StartupCacheRequest& request, int feature) {
    for (const NoCacheRule& rule : kNoCacheRules) {
        if (rule.condition == Condition::Runtime && holdsFor(rule, feature)) {
            return CacheObstacle{rule.reason, WideString(), "runtime"};
        }
    }
    for (const WideString& option : request.options) {
        if (std::optional<std::string_view> reason = optionRule(option, feature)) {
            return CacheObstacle{*reason, option, "options"};
        }
    }
    for (const WideString& option : splitToolOptions(request.toolOptions)) {
        if (std::optional<std::string_view> reason = optionRule(option, feature)) {
            return CacheObstacle{*reason, option, "JAVA_TOOL_OPTIONS"};
        }
    }
    for (const NoCacheRule& rule : kNoCacheRules) {
        if (rule.condition == Condition::FolderBeforeJar && holdsFor(rule, feature) &&
            folderBeforeJar(classPathEntries(request.options))) {
            return CacheObstacle{rule.reason, WideString(), "class-path"};
        }
    }
    return std::nullopt;
}

// The library and every option the VM sees, the class path's files by their
// identity; not the library path, which the launcher builds from the inherited
// search path.
WideString startupCacheKey(const StartupCacheRequest& request) {
    Fnv1a hash;
    hash.addName(request.jvmLibraryPath);
    hash.addIdentity(request.jvmLibraryPath);
    for (const WideString& option : request.options) {
        if (option.startsWith(kLibraryPathOption)) {
            continue;
        }
        hash.addName(option);
    }
    for (const WideString& entry : classPathEntries(request.options)) {
        hash.addIdentity(entry);
    }
    hash.add(request.toolOptions.view());
    return hexDigits(hash.value(), 16);
}

std::string argumentFileText(const WideStringList& arguments) {
    std::string text;
    for (const WideString& argument : arguments) {
        text += quotedArgument(argument);
    }
    return text;
}

std::optional<StartupCachePlan> planStartupCache(const StartupCacheRequest& request) {
    if (request.folder.empty() || request.name.empty()) {
        return noStartupCache("no-cache-folder");
    }
    int feature = runtimeFeatureVersion(request.jvmLibraryPath);
    if (std::optional<CacheObstacle> obstacle = findCacheObstacle(request, feature)) {
        platform::TraceLine("startup-cache")
            .add("result", "none")
            .add("reason", obstacle->reason)
            .add("source", obstacle->source)
            .add("option", obstacle->option.view());
        return std::nullopt;
    }
    WideString key = startupCacheKey(request);
    removeOtherCaches(request, key);
    WideString base = request.folder + ownPrefix(request) + key;
    std::optional<WideString> javaProgram = javaProgramOf(runtimeHomeOf(request.jvmLibraryPath));
    bool aot = feature >= 25 && javaProgram;
    std::optional<StartupCachePlan> plan = aot ? planAotCache(request, base, *javaProgram)
                                               : planDynamicArchive(request, base, feature);
    if (plan && platform::traceEnabled()) {
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
        return; // the attempt's mark stays: the next start runs without a cache
    }
    platform::removeFile(plan.attemptFile);
}

} // namespace launcher
