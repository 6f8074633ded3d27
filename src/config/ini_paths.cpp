// Where the main and per-user INI files are, and saving "JRE Path" to them.
#include "config/ini_paths.h"

#include "config/ini_store.h"
#include "config/setting_names.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "platform/trace.h"
#include "platform/user_folders.h"

namespace launcher {

namespace {

// Windows programs carry an extension, and the last "." of the whole path starts
// it (C:\My.App\Launcher gives C:\My.ini). Elsewhere a "." in a folder name starts
// none, and a program without an extension (the usual case) keeps its whole
// name: /opt/app/tool gives /opt/app/tool.ini.
constexpr bool kProgramsCarryExtensions = platform::kDriveAndNetworkRoots;

} // namespace

bool iniPathOf(const WideString& programPath, WideString& iniPath) {
    int32_t dot = programPath.findLast(u'.');
    if (!kProgramsCarryExtensions && !programPath.empty() &&
        (dot == WideString::kNotFound || dot < programPath.findLast(platform::kPathSeparator))) {
        iniPath = programPath + u".ini";
        return true;
    }
    if (dot == WideString::kNotFound) {
        return false;
    }
    iniPath = programPath.left(dot + 1).append(u"ini");
    return true;
}

void traceIniFile(std::string_view role, const WideString& path) {
    if (!platform::traceEnabled()) {
        return;
    }
    platform::TraceLine line("ini");
    line.add("file", role).add("path", path.view());
    if (path.empty()) {
        line.add("state", "no-path");
        return;
    }
    if (!fileExists(path)) {
        line.add("state", "missing");
        return;
    }
    uint32_t error = IniFileStore(path).checkReadable();
    if (error != 0) {
        line.add("state", "unreadable").add(platform::SystemError{error, "open", {}});
    } else {
        line.add("state", "readable");
    }
}

WideString productFolderName(const WideString& productName) {
    static constexpr std::u16string_view kForbidden = u"\\?\"|><:/*";
    WideString folder;
    for (char16_t unit : productName.view()) {
        if (kForbidden.find(unit) == std::u16string_view::npos) {
            folder.append(unit);
        }
    }
    return folder;
}

WideString perUserIniPath(const LauncherSettings& settings, const WideString& programPath,
                          bool createFolders) {
    WideString folder = platform::userSettingsFolder();
    if (folder.empty()) {
        return WideString(); // no per-user file, rather than one below the root
    }
    WideString fileName = platform::withoutExtension(platform::fileNameOf(programPath));
    folder.append(platform::kPathSeparator).append(productFolderName(settings.productName));
    folder.append(platform::kPathSeparator).append(settings.productCode);
    WideString path = folder.append(platform::kPathSeparator).append(fileName).append(u".ini");
    if (createFolders) {
        createPerUserFolders(path);
    }
    return path;
}

// The results of the folder creation are not needed: an existing folder is fine.
void createPerUserFolders(const WideString& perUserIni) {
    WideString codeFolder = platform::parentPath(perUserIni);
    platform::createDirectory(platform::parentPath(codeFolder));
    platform::createDirectory(codeFolder);
}

WideString companionPerUserIniPath(const LauncherSettings& settings) {
    if (settings.pairProduct.empty()) {
        return WideString();
    }
    return perUserIniPath(settings, settings.pairProduct, true);
}

bool companionIniPath(const LauncherSettings& settings, WideString& path) {
    return !settings.pairProduct.empty() && iniPathOf(settings.pairProduct, path);
}

bool fileExists(const WideString& path) {
    return platform::directoryEntryExists(platform::withLongPathPrefix(path));
}

WideString readJrePath(const LauncherSettings& settings, const RunContext& context) {
    if (!settings.serviceMode) {
        traceIniFile("per-user", context.perUserIni);
        if (!context.perUserIni.empty() && fileExists(context.perUserIni)) {
            IniFileStore store(context.perUserIni);
            return readTracedValue(store, kJreSection, kJrePathKey, "per-user");
        }
    }
    return LayeredIniStore(context.mainIni).getValue(kJreSection, kJrePathKey);
}

void saveJrePath(const LauncherSettings& settings, const RunContext& context,
                 const WideString& folder) {
    if (context.mainIni.empty()) {
        return;
    }
    if (settings.serviceMode) {
        IniFileStore(context.mainIni).setValue(kJreSection, kJrePathKey, folder);
        WideString companion;
        if (companionIniPath(settings, companion)) {
            IniFileStore(companion).setValue(kJreSection, kJrePathKey, folder);
        }
        return;
    }
    if (!context.perUserIni.empty()) {
        createPerUserFolders(context.perUserIni);
        IniFileStore(context.perUserIni).setValue(kJreSection, kJrePathKey, folder);
    }
    WideString companion = companionPerUserIniPath(settings);
    if (!companion.empty()) {
        IniFileStore(companion).setValue(kJreSection, kJrePathKey, folder);
    }
}

bool isRelativeEntry(std::u16string_view path) noexcept {
    if (!platform::kDriveAndNetworkRoots) {
        return !path.starts_with(u'/');
    }
    return path.size() < 2 || (path[1] != u':' && !path.starts_with(u"\\\\"));
}

void useNativeSeparators(WideString& path) {
    if (platform::kPathSeparator != u'\\' && path.contains(u'\\')) {
        path.replaceAll(u'\\', platform::kPathSeparator);
    }
}

} // namespace launcher
