// Where the main and per-user INI files are, and saving "JRE Path" to them.
#include "config/ini_paths.h"

#include "config/ini_locations.h"
#include "config/ini_store.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/file_system.h"
#include "platform/module_path.h"
#include "platform/system_error.h"
#include "platform/trace.h"

namespace launcher {

bool executablePath(WideString& path) {
    platform::SystemError error;
    if (!platform::queryExecutablePath(path, error)) {
        platform::TraceLine("stop").add("reason", "no-executable-path").add(error);
        reportMessage(msg::kWindowsException,
                      {MessageCatalogue::load(msg::kModulePathFailed), error.code});
        return false;
    }
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
    unsigned char firstBytes[4];
    uint32_t error = IniFileStore(path).probe(firstBytes);
    if (error != 0) {
        line.add("state", "unreadable").add(platform::SystemError{error, "open", {}});
    } else {
        line.add("state", "readable");
    }
}

bool mainIniPath(WideString& path) {
    WideString executable;
    return executablePath(executable) && iniPathOf(executable, path);
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
    WideString fileName = programPath.mid(programPath.findLast(platform::kPathSeparator) + 1);
    int32_t dot = fileName.findLast(u'.');
    if (dot != WideString::kNotFound) {
        fileName = fileName.left(dot);
    }
    fileName.append(u".ini");
    // The results of the folder creation are not needed: an existing folder is fine.
    WideString folder = applicationDataFolder();
    if (folder.empty()) {
        return WideString(); // no per-user file, rather than one below the root
    }
    folder.append(platform::kPathSeparator).append(productFolderName(settings.productName));
    if (createFolders) {
        platform::createDirectory(folder);
    }
    folder.append(platform::kPathSeparator).append(settings.productCode);
    if (createFolders) {
        platform::createDirectory(folder);
    }
    return folder.append(platform::kPathSeparator).append(fileName);
}

WideString ownPerUserIniPath(const LauncherSettings& settings, bool createFolders) {
    platform::SystemError error;
    WideString executable;
    if (!platform::queryExecutablePath(executable, error)) {
        return WideString();
    }
    return perUserIniPath(settings, executable, createFolders);
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

WideString readJrePath(const LauncherSettings& settings) {
    if (!settings.serviceMode) {
        WideString perUser = ownPerUserIniPath(settings, false);
        traceIniFile("per-user", perUser);
        if (!perUser.empty() && fileExists(perUser)) {
            IniFileStore store(perUser);
            return readTracedValue(store, kJreSection, kJrePathKey, "per-user");
        }
    }
    WideString mainIni;
    if (!mainIniPath(mainIni)) {
        return WideString();
    }
    return LayeredIniStore(mainIni).getValue(kJreSection, kJrePathKey);
}

void saveJrePath(const LauncherSettings& settings, const WideString& folder) {
    WideString mainIni;
    if (!mainIniPath(mainIni)) {
        return;
    }
    if (settings.serviceMode) {
        IniFileStore(mainIni).setValue(kJreSection, kJrePathKey, folder);
        WideString companion;
        if (companionIniPath(settings, companion)) {
            IniFileStore(companion).setValue(kJreSection, kJrePathKey, folder);
        }
        return;
    }
    WideString perUser = ownPerUserIniPath(settings, true);
    if (!perUser.empty()) {
        IniFileStore(perUser).setValue(kJreSection, kJrePathKey, folder);
    }
    WideString companion = companionPerUserIniPath(settings);
    if (!companion.empty()) {
        IniFileStore(companion).setValue(kJreSection, kJrePathKey, folder);
    }
}

} // namespace launcher
