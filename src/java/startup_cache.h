// A class cache of the application, kept per user on this machine, that later
// starts map instead of loading and verifying the same classes again.
#pragma once

#include "base/wide_string.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace launcher {

struct StartupCacheRequest {
    WideString folder;         // the machine-local folder, with separator; empty: no cache
    WideString name;           // the program's file name without its extension
    WideString executablePath; // tells installed copies of one program apart
    WideString jvmLibraryPath; // the chosen JVM library, full path
    WideStringList options;    // the VM options as assembled, class path included
    WideString toolOptions;    // JAVA_TOOL_OPTIONS, which the VM reads itself
};

// What a start adds for its cache, and what it leaves to publish at its end.
struct StartupCachePlan {
    WideStringList options; // go before the assembled options, so that the user's own -Xlog wins
    WideString pendingFile; // written by the VM during this run (empty when nothing is)
    WideString finalFile;   // the name it is published under once complete
    WideString attemptFile; // marks an attempt until it has succeeded
};

// The runtime's feature version (8 for 1.8, 17 for 17.0.9) from the `release`
// file of the home the library belongs to; 0 when it cannot be told.
int runtimeFeatureVersion(const WideString& jvmLibraryPath);

// The machine-local folder of the product's caches, made when missing (only this
// user may enter what is made). Empty, with `problem` set for the trace, when
// there is none or another user owns or may write one of its levels.
WideString startupCacheFolder(const WideString& productName, const WideString& productCode,
                              std::string_view& problem);

// Why the VM could not honour a cache with these options and this class path:
// the reason the trace gives, the option that decided and where it came from.
struct CacheObstacle {
    std::string_view reason;
    WideString option;       // empty for a condition of the runtime or the class path
    std::string_view source; // "options", "JAVA_TOOL_OPTIONS" or "class-path"
};
std::optional<CacheObstacle> findCacheObstacle(const StartupCacheRequest& request, int feature);

// Whether the option is one of the user's own choosing a class cache or sharing mode.
bool choosesClassCache(std::u16string_view option) noexcept;

// JAVA_TOOL_OPTIONS as the VM splits it: at blanks, quotes grouping.
WideStringList splitToolOptions(std::u16string_view text);

// Nothing to add when the folder is unknown, an obstacle stands in the way, a
// dynamic archive lacks the runtime's base archive, an earlier attempt with the
// same key failed, the cache file is not this user's alone, or the folder cannot
// be written. Cache files of the same installed program made for other runtimes,
// class paths or options are removed. A configuration recorded by an earlier run
// is assembled into a cache here, with the runtime's own java program, before
// the VM starts.
std::optional<StartupCachePlan> planStartupCache(const StartupCacheRequest& request);

// Called once the VM has ended: the file written during the run takes its final
// name. A VM that died before it finished writing never reaches this, so a
// half-written cache is never used, and its attempt counts as failed.
void publishStartupCache(const StartupCachePlan& plan);

// The part of a cache file's name that tells the runtime, class path (with the
// identity of each of its files) and options it was made for: 16 hexadecimal
// digits.
WideString startupCacheKey(const StartupCacheRequest& request);

// The text of an argument file for the runtime's java program: every argument
// quoted, backslashes and quotes escaped.
std::string argumentFileText(const WideStringList& arguments);

} // namespace launcher
