// The one object that owns the run: settings, arguments, the runtime chosen, the
// JVM library, the Java side and the single-instance state. It is the only code
// that knows every subsystem; nothing below includes it.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "config/run_context.h"
#include "java/java_host.h"
#include "jre/jvm_library.h"
#include "service/instance_guard.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace launcher {

inline constexpr int kExitFailure = -1;
// The code java ends with when an exception leaves main.
inline constexpr int kExitMainThrew = 1;

class Launcher {
  public:
    Launcher() noexcept = default;
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // From the command line and the INI file to a resolved runtime.
    bool prepare();
    // From the resolved runtime to a finished application; the exit code.
    int run();

    RunContext context;
    LauncherSettings settings;
    WideString jvmLibraryPath;
    JavaHost java;
    WideStringList arguments;
    InstanceGuard instance;
    bool pairHandOver = false;
    size_t applicationThreadStackSize = 0;
    JvmLibrary jvmLibrary;
    // The runtime folder the user chose when none was found; empty otherwise.
    WideString chosenRuntimeFolder;

  private:
    void overrideWorkingDirectory();
    int handOverToPairProduct();
    // Hands the application thread what it reads: options, main class, arguments.
    // False when the options could not be assembled (message 209).
    bool assembleJavaApplication(std::optional<WideString> libraryPathOption);
    void useStartupCache(WideStringList& options);
    bool loadJvmLibrary();
    uint32_t runApplicationThread();
    size_t defaultJavaStackSize();
};

// The whole process: constructs the launcher, prepares, runs (or hands the run to
// the service dispatcher) and tears down. Returns the process exit code.
int launcherMain();

} // namespace launcher
