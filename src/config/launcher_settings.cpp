// readSettings: every INI value in its order, with the keyword tables.
#include "config/launcher_settings.h"

#include "config/ini_paths.h"
#include "config/ini_store.h"
#include "config/settings_table.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/trace.h"

namespace launcher {

namespace {

constexpr char16_t kProductSection[] = u"Product Information";
constexpr char16_t kApplicationSection[] = u"Application";

struct ProviderRow {
    std::u16string_view value;
    bool jrockitAllowed, jrockitFavoured, sunAllowed, sunFavoured, ibmAllowed, ibmFavoured;
};

// Compared in order without regard to ASCII letter case; the first match wins.
constexpr ProviderRow kProviderRows[] = {
    {u"", false, false, true, true, false, false},
    {u"jrockit", true, true, false, false, false, false},
    {u"ibm", false, false, false, false, true, true},
    {u"favor_sun", true, false, true, true, true, false},
    {u"favor_jrockit", true, true, true, false, true, false},
    {u"favor_ibm", true, false, true, false, true, true},
    {u"any", true, false, true, false, true, false},
};

bool isYes(const WideString& value) {
    return value.equalsIgnoreAsciiCase(u"Yes");
}

JavaVersion readBound(IniStore& store, std::u16string_view key, int32_t fill, int32_t anyValue) {
    WideString text = store.getValue(kJreSection, key);
    if (text == u"any") {
        return JavaVersion{{anyValue, anyValue, anyValue, anyValue}};
    }
    return parseVersion(text, fill);
}

JvmType jvmTypeOf(const WideString& value) {
    if (value == u"server") {
        return JvmType::Server;
    }
    if (value == u"favor_server") {
        return JvmType::FavorServer;
    }
    return JvmType::Any;
}

void applyJvmSource(const WideString& value, LauncherSettings& settings) {
    if (!value.empty()) {
        settings.sourceMixed = value == u"favor_JRE" || value == u"favor_JDK";
    }
    settings.sourceJdk = value == u"favor_JDK" || value == u"only_JDK" || value.empty();
    settings.sourceJre = value == u"favor_JRE" || value == u"only_JRE" || value.empty();
}

void applyVmProvider(const WideString& value, LauncherSettings& settings) {
    if (value.empty()) {
        return;
    }
    for (const ProviderRow& row : kProviderRows) {
        if (value.equalsIgnoreAsciiCase(row.value)) {
            settings.jrockitAllowed = row.jrockitAllowed;
            settings.jrockitFavoured = row.jrockitFavoured;
            settings.sunAllowed = row.sunAllowed;
            settings.sunFavoured = row.sunFavoured;
            settings.ibmAllowed = row.ibmAllowed;
            settings.ibmFavoured = row.ibmFavoured;
            return;
        }
    }
}

} // namespace

bool readSettings(LauncherSettings& settings) {
    WideString iniPath;
    if (!mainIniPath(iniPath)) {
        return false;
    }
    traceIniFile("main", iniPath);
    IniFileStore productStore(iniPath);
    settings.productCode = readTracedValue(productStore, kProductSection, u"Product Code", "main");
    settings.productName = readTracedValue(productStore, kProductSection, u"Product Name", "main");

    LayeredIniStore store(iniPath);
    settings.minimumVersion = readBound(store, u"Minimum Version", 0, 0);
    settings.maximumVersion =
        readBound(store, u"Maximum Version", kOpenMaximumComponent, kOpenMaximumComponent);
    settings.serviceMode = store.getValue(kApplicationSection, u"Application Type") == u"service";
    if (settings.serviceMode) {
        settings.omitServiceName =
            !store.getValue(kApplicationSection, u"Omit Service Name").empty();
    }
    splitList(store.getValue(kJreSection, u"Preferred versions"), u";", settings.preferredVersions);
    settings.jrePath = readJrePath(settings);
    settings.jvmType = jvmTypeOf(store.getValue(kJreSection, u"JVM Type"));
    applyJvmSource(store.getValue(kJreSection, u"JVM Source"), settings);
    applyVmProvider(store.getValue(kJreSection, u"VM Provider"), settings);

    settings.mainClass = store.getValue(kJreSection, u"Main Class");
    if (settings.mainClass.empty()) {
        platform::TraceLine("stop").add("reason", "no-main-class").add("ini", iniPath.view());
        reportError(MessageCatalogue::load(msg::kNoMainClass));
        return false;
    }
    settings.mainClass.replaceAll(u'.', u'/');

    settings.failureCheck = isYes(store.getValue(kApplicationSection, u"Failure Check"));
    settings.overrideWorkingDir =
        isYes(store.getValue(kApplicationSection, u"Override WorkingDir"));
    settings.systemPath = store.getValue(kJreSection, u"System Path");
    settings.libraryPath = store.getValue(kJreSection, u"Library Path");
    settings.pairProduct = store.getValue(kApplicationSection, u"Pair Product");
    settings.pairReturnCode = isYes(store.getValue(kApplicationSection, u"Pair Return Code"));
    settings.startupCache = isYes(store.getValue(kJreSection, u"Startup Cache"));
    return true;
}

} // namespace launcher
