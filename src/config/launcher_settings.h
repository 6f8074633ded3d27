// Every value of the main INI file that the launch reads once, with its default.
#pragma once

#include "base/wide_string.h"
#include "config/java_version.h"
#include "config/jvm_type.h"

namespace launcher {

struct LauncherSettings {
    JvmType jvmType = JvmType::Any;
    WideString mainClass; // internal form: '/' between package names
    JavaVersion minimumVersion;
    JavaVersion maximumVersion; // 0.0.0.0: no upper bound
    bool serviceMode = false;
    bool omitServiceName = false;
    bool sourceJdk = false;
    bool sourceJre = false;
    bool sourceMixed = true;
    bool jrockitAllowed = false;
    bool sunAllowed = true;
    bool ibmAllowed = false;
    bool jrockitFavoured = false;
    bool sunFavoured = true;
    bool ibmFavoured = false;
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
    bool startupCache = false; // "Startup Cache": keep a class cache for faster starts
};

// Fills the record from the main INI file. False when the INI path cannot be
// formed or "Main Class" is empty (after printing message 210).
bool readSettings(LauncherSettings& settings);

} // namespace launcher
