// A class cache of the application, kept per user, that later starts map instead
// of loading and verifying the same classes again.
#pragma once

#include "base/wide_string.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace launcher {

struct StartupCacheRequest {
    WideString folder;         // the per-user folder, with separator; empty: no cache
    WideString name;           // the program's file name without its extension
    WideString jvmLibraryPath; // the chosen JVM library, full path
    WideStringList options;    // the VM options as assembled, class path included
};

// What a start adds for its cache, and what it leaves to publish at its end.
struct StartupCachePlan {
    WideStringList options; // go before the assembled options, so that the user's own -Xlog wins
    WideString pendingFile; // written by the VM during this run (empty when nothing is)
    WideString finalFile;   // the name it is published under once complete
};

// The runtime's feature version (8 for 1.8, 17 for 17.0.9) from the `release`
// file of the home the library belongs to; 0 when it cannot be told.
int runtimeFeatureVersion(const WideString& jvmLibraryPath);

// Nothing to add when the folder is unknown, the runtime is older than 13 or of
// unknown version, a dynamic archive lacks the runtime's base archive, the
// user's options already choose a class cache, or the folder cannot be written.
// Cache files of the same program made for other runtimes, class paths or
// options are removed. A configuration recorded by an earlier run is assembled
// into a cache here, with the runtime's own java program, before the VM starts.
std::optional<StartupCachePlan> planStartupCache(const StartupCacheRequest& request);

// Called once the VM has ended: the file written during the run takes its final
// name. A VM that died before it finished writing never reaches this, so a
// half-written cache is never used.
void publishStartupCache(const StartupCachePlan& plan);

// The part of a cache file's name that tells the runtime, class path (with the
// jars' sizes and times) and options it was made for: 16 hexadecimal digits.
WideString startupCacheKey(const StartupCacheRequest& request);

// Whether the option is one of the user's own choosing a class cache or sharing mode.
bool choosesClassCache(std::u16string_view option) noexcept;

} // namespace launcher
