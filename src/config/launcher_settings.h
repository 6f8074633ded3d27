// Every value of the INI files that the launch reads, with its default, and the
// one reader of those files.
#pragma once

#include "base/wide_string.h"
#include "config/java_version.h"
#include "config/jvm_type.h"
#include "config/run_context.h"
#include "config/runtime_policy.h"

namespace launcher {

// The keys the option assembly reads, as written: the assembly expands them once
// the process environment is set.
struct JavaOptionSettings {
    WideString classPath; // "Class Path" of section "Class Path"
    bool embeddedJar = false;
    WideString vmParameters;
    WideString outputFile;
    bool outputAppend = false;
    WideString errorFile;
    bool errorAppend = false;
    WideString cmd;
};

struct LauncherSettings {
    JvmType jvmType = JvmType::Any;
    WideString mainClass; // internal form: '/' between package names
    JavaVersion minimumVersion;
    JavaVersion maximumVersion; // 0.0.0.0: no upper bound
    bool serviceMode = false;
    bool omitServiceName = false;
    SourcePolicy jvmSource;
    ProviderPolicy vmProvider;
    WideString productName;
    WideString productCode;
    WideStringList preferredVersions;
    WideString jrePath;
    WideString libraryPath;
    WideString systemPath;
    WideString pairProduct;
    bool pairReturnCode = false;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    bool startupCache = false;   // "Startup Cache": keep a class cache for faster starts
    bool singleInstance = false; // "Single Instance" exactly "yes", never in service mode
    // Read when the options are assembled (readJavaOptionSettings), not before.
    JavaOptionSettings javaOptions;
};

// Fills the record from the main INI file (and "JRE Path" from the file that
// keeps it), and completes the context with the per-user INI path, which the
// product information names. False when there is no main INI path, or after
// message 210 when "Main Class" is empty.
bool readSettings(RunContext& context, LauncherSettings& settings);

// The option assembly's keys, read when it runs, so that a change of the file
// between the steps of one launch is seen.
void readJavaOptionSettings(const RunContext& context, LauncherSettings& settings);

// Whether the "VM Provider" admits IBM runtimes; threads then never leave the VM.
inline bool ibmRuntimesAdmitted(const LauncherSettings& settings) noexcept {
    return settings.vmProvider.admitsIbm();
}

} // namespace launcher
