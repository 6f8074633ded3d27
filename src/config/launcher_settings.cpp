// The one reader of the INI files: every value in its order, with the keyword tables.
#include "config/launcher_settings.h"

#include "config/ini_paths.h"
#include "config/ini_store.h"
#include "config/setting_names.h"
#include "config/settings_table.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/trace.h"

namespace launcher {

namespace {

struct ProviderRow {
    std::u16string_view value;
    ProviderPolicy policy;
};

// Compared in order without regard to ASCII letter case; the first match wins.
// The empty row is the default policy, which no non-empty value matches.
const ProviderRow kProviderRows[] = {
    {u"", ProviderPolicy{}},
    {u"jrockit", ProviderPolicy{{false, false}, {true, true}, {false, false}}},
    {u"ibm", ProviderPolicy{{false, false}, {false, false}, {true, true}}},
    {u"favor_sun", ProviderPolicy{{true, true}, {true, false}, {true, false}}},
    {u"favor_jrockit", ProviderPolicy{{true, false}, {true, true}, {true, false}}},
    {u"favor_ibm", ProviderPolicy{{true, false}, {true, false}, {true, true}}},
    {u"any", ProviderPolicy{{true, false}, {true, false}, {true, false}}},
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

void applyJvmSource(const WideString& value, SourcePolicy& source) {
    if (!value.empty()) {
        source.mixed = value == u"favor_JRE" || value == u"favor_JDK";
    }
    source.jdk = value == u"favor_JDK" || value == u"only_JDK" || value.empty();
    source.jre = value == u"favor_JRE" || value == u"only_JRE" || value.empty();
}

void applyVmProvider(const WideString& value, ProviderPolicy& provider) {
    if (value.empty()) {
        return;
    }
    for (const ProviderRow& row : kProviderRows) {
        if (value.equalsIgnoreAsciiCase(row.value)) {
            provider = row.policy;
            return;
        }
    }
}

} // namespace

bool readSettings(RunContext& context, LauncherSettings& settings) {
    if (context.mainIni.empty()) {
        return false;
    }
    traceIniFile("main", context.mainIni);
    IniFileStore productStore(context.mainIni);
    settings.productCode = readTracedValue(productStore, kProductSection, u"Product Code", "main");
    settings.productName = readTracedValue(productStore, kProductSection, u"Product Name", "main");
    context.perUserIni = perUserIniPath(settings, context.executable);

    LayeredIniStore store(context.mainIni);
    settings.minimumVersion = readBound(store, u"Minimum Version", 0, 0);
    settings.maximumVersion =
        readBound(store, u"Maximum Version", kOpenMaximumComponent, kOpenMaximumComponent);
    settings.serviceMode = store.getValue(kApplicationSection, u"Application Type") == u"service";
    if (settings.serviceMode) {
        settings.omitServiceName =
            !store.getValue(kApplicationSection, u"Omit Service Name").empty();
    }
    splitList(store.getValue(kJreSection, u"Preferred versions"), u";", settings.preferredVersions);
    settings.jrePath = readJrePath(settings, context);
    settings.jvmType = jvmTypeOf(store.getValue(kJreSection, u"JVM Type"));
    applyJvmSource(store.getValue(kJreSection, u"JVM Source"), settings.jvmSource);
    applyVmProvider(store.getValue(kJreSection, u"VM Provider"), settings.vmProvider);

    settings.mainClass = store.getValue(kJreSection, u"Main Class");
    if (settings.mainClass.empty()) {
        platform::TraceLine("stop")
            .add("reason", "no-main-class")
            .add("ini", context.mainIni.view());
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
    // Exactly in lower case: "Yes" leaves single instance off.
    settings.singleInstance =
        !settings.serviceMode && store.getValue(kApplicationSection, u"Single Instance") == u"yes";
    return true;
}

void readJavaOptionSettings(const RunContext& context, LauncherSettings& settings) {
    LayeredIniStore store(context.mainIni);
    JavaOptionSettings& options = settings.javaOptions;
    options.classPath = store.getValue(kClassPathSection, u"Class Path");
    options.embeddedJar = isYes(store.getValue(kApplicationSection, u"Embedded Jar"));
    options.vmParameters = store.getValue(kJreSection, u"Virtual Machine Parameters");
    options.outputFile = store.getValue(kApplicationSection, u"Output File");
    options.outputAppend = store.getValue(kApplicationSection, u"Output Append") == u"yes";
    options.errorFile = store.getValue(kApplicationSection, u"Error File");
    options.errorAppend = store.getValue(kApplicationSection, u"Error Append") == u"yes";
    options.cmd = store.getValue(kApplicationSection, u"Cmd");
}

} // namespace launcher
