// A runtime folder the user names when the search found none, and how it is asked for.
#pragma once

#include "base/wide_string.h"
#include "config/jvm_type.h"
#include "jre/runtime_search.h"

#include <functional>
#include <optional>
#include <string_view>

namespace launcher {

// The folder as given, with a separator appended unless it ends with one, probed
// for a JVM library of the wanted type, which must pass the image check the
// loader makes (a choice that cannot load must not be saved for good).
ChosenRuntime probeRuntimeFolder(const WideString& folder, RuntimeWanted wanted);

// Asks on a text terminal until a folder holds a JVM library as wanted: shows the
// message and the download address, reads one folder per line (a relative one is
// read against the current directory, and kept as the absolute path), says why a
// folder is refused and asks again. An empty line or the end of input cancels. `readLine`
// returns false at the end of input.
using ReadLine = std::function<bool(WideString& line)>;
using WriteText = std::function<void(const WideString& text)>;
std::optional<ChosenRuntime> promptForRuntimeFolder(const WideString& message, RuntimeWanted wanted,
                                                    const ReadLine& readLine,
                                                    const WriteText& write);

// The user's choice when no runtime was found: the JRE-not-found dialog on Windows,
// a terminal prompt on Linux. Nothing when the user cancels or nobody can be asked
// (then the message is reported as an error line).
std::optional<ChosenRuntime> chooseRuntimeFolder(const WideString& message, RuntimeWanted wanted);

} // namespace launcher
