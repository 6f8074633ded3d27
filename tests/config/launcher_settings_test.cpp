// readSettings against real INI files beside the test executable.
#include "config/launcher_settings.h"
#include "support/own_ini_file.h"

#include <gtest/gtest.h>

#include <string>

namespace launcher {
namespace {

using testing::OwnIniFile;

// Reads the settings from an INI file holding `jre` in section "Java Runtime
// Environment" and `application` in section "Application", with a main class.
LauncherSettings readWith(std::string_view jre, std::string_view application = "") {
    std::string content = "[Java Runtime Environment]\r\nMain Class=a.b.Main\r\n";
    content.append(jre).append("\r\n[Application]\r\n").append(application).append("\r\n");
    OwnIniFile ini(content);
    LauncherSettings settings;
    RunContext context;
    EXPECT_TRUE(findRunContext(context) && readSettings(context, settings)) << content;
    readJavaOptionSettings(context, settings);
    return settings;
}

bool readOwnSettings(LauncherSettings& settings) {
    RunContext context;
    return findRunContext(context) && readSettings(context, settings);
}

TEST(ReadSettings, MissingMainClassPrintsMessage210AndFails) {
    for (std::string_view content :
         {std::string_view(""), std::string_view("[Java Runtime Environment]\r\nMain Class=\r\n"),
          std::string_view("[Application]\r\nMain Class=a.B\r\n")}) {
        OwnIniFile ini(content);
        LauncherSettings settings;
        ::testing::internal::CaptureStdout();
        EXPECT_FALSE(readOwnSettings(settings));
        std::string printed = ::testing::internal::GetCapturedStdout();
        EXPECT_NE(printed.find("Error: Main class was not specified in INI file. \n"),
                  std::string::npos)
            << printed;
    }
}

TEST(ReadSettings, MainClassIsHeldWithSlashes) {
    EXPECT_EQ(readWith("").mainClass, u"a/b/Main");
}

// Without a value before it, the "+" value is taken whole: no blank in front.
TEST(ReadSettings, ExtendingSectionGivesTheMainClassWithoutLeadingBlank) {
    OwnIniFile ini("[Java Runtime Environment]\r\nMain Class=\r\n"
                   "[Java Runtime Environment+]\r\nMain Class=com.example.App\r\n");
    LauncherSettings settings;
    ASSERT_TRUE(readOwnSettings(settings));
    EXPECT_EQ(settings.mainClass, u"com/example/App");
}

struct BoundCase {
    std::string_view minimum;
    std::string_view maximum;
    JavaVersion expectedMinimum;
    JavaVersion expectedMaximum;
};

TEST(ReadSettings, VersionBoundsWithTheAnyKeyword) {
    const BoundCase cases[] = {
        {"", "", {}, {}},
        {"any", "any", {}, {{65535, 65535, 65535, 65535}}},
        {"Any", "ANY", {}, {}},
        {"1.6", "1.8", {{1, 6, 0, 0}}, {{1, 8, 65535, 65535}}},
        {"1.8.0_152", "9", {{1, 8, 0, 152}}, {{9, 65535, 65535, 65535}}},
        {"none", "x", {}, {}},
    };
    for (const BoundCase& c : cases) {
        std::string jre = "Minimum Version=" + std::string(c.minimum) +
                          "\r\nMaximum Version=" + std::string(c.maximum);
        LauncherSettings settings = readWith(jre);
        EXPECT_EQ(settings.minimumVersion, c.expectedMinimum) << jre;
        EXPECT_EQ(settings.maximumVersion, c.expectedMaximum) << jre;
    }
}

struct SourceCase {
    std::string_view value;
    bool jdk, jre, mixed;
};

TEST(ReadSettings, JvmSourceTable) {
    const SourceCase cases[] = {
        {"", true, true, true},
        {"favor_JDK", true, false, true},
        {"favor_JRE", false, true, true},
        {"only_JDK", true, false, false},
        {"only_JRE", false, true, false},
        {"favor_jdk", false, false, false},
        {"Only_JRE", false, false, false},
        {"both", false, false, false},
    };
    for (const SourceCase& c : cases) {
        LauncherSettings settings = readWith("JVM Source=" + std::string(c.value));
        EXPECT_EQ(settings.jvmSource.jdk, c.jdk) << c.value;
        EXPECT_EQ(settings.jvmSource.jre, c.jre) << c.value;
        EXPECT_EQ(settings.jvmSource.mixed, c.mixed) << c.value;
    }
}

struct ProviderCase {
    std::string_view value;
    bool jrockitAllowed, jrockitFavoured, sunAllowed, sunFavoured, ibmAllowed, ibmFavoured;
};

TEST(ReadSettings, VmProviderTableIgnoringAsciiCase) {
    const ProviderCase cases[] = {
        {"", false, false, true, true, false, false},
        {"jrockit", true, true, false, false, false, false},
        {"JRockit", true, true, false, false, false, false},
        {"ibm", false, false, false, false, true, true},
        {"favor_sun", true, false, true, true, true, false},
        {"FAVOR_JROCKIT", true, true, true, false, true, false},
        {"favor_ibm", true, false, true, false, true, true},
        {"Any", true, false, true, false, true, false},
        {"sun", false, false, true, true, false, false},
        {"favor sun", false, false, true, true, false, false},
    };
    for (const ProviderCase& c : cases) {
        LauncherSettings s = readWith("VM Provider=" + std::string(c.value));
        const ProviderPolicy& p = s.vmProvider;
        EXPECT_EQ(p.jrockit.allowed, c.jrockitAllowed) << c.value;
        EXPECT_EQ(p.jrockit.favoured, c.jrockitFavoured) << c.value;
        EXPECT_EQ(p.sun.allowed, c.sunAllowed) << c.value;
        EXPECT_EQ(p.sun.favoured, c.sunFavoured) << c.value;
        EXPECT_EQ(p.ibm.allowed, c.ibmAllowed) << c.value;
        EXPECT_EQ(p.ibm.favoured, c.ibmFavoured) << c.value;
    }
}

TEST(ReadSettings, KeywordsAreExactAndFlagsFoldCase) {
    struct Case {
        std::string_view jre;
        std::string_view application;
        std::function<bool(const LauncherSettings&)> holds;
        const char* what;
    };
    const Case cases[] = {
        {"JVM Type=server", "", [](auto& s) { return s.jvmType == JvmType::Server; }, "server"},
        {"JVM Type=favor_server", "", [](auto& s) { return s.jvmType == JvmType::FavorServer; },
         "favor_server"},
        {"JVM Type=Server", "", [](auto& s) { return s.jvmType == JvmType::Any; }, "Server is Any"},
        {"", "Application Type=service", [](auto& s) { return s.serviceMode; }, "service"},
        {"", "Application Type=Service", [](auto& s) { return !s.serviceMode; },
         "Service is desktop"},
        {"", "Application Type=service\r\nOmit Service Name=No",
         [](auto& s) { return s.omitServiceName; }, "omit No"},
        {"", "Omit Service Name=Yes", [](auto& s) { return !s.omitServiceName; },
         "omit outside service"},
        {"", "Failure Check=yes", [](auto& s) { return s.failureCheck; }, "failure check yes"},
        {"", "Failure Check=YES", [](auto& s) { return s.failureCheck; }, "failure check YES"},
        {"", "Failure Check=Yess", [](auto& s) { return !s.failureCheck; }, "failure check Yess"},
        {"", "Override WorkingDir=yEs", [](auto& s) { return s.overrideWorkingDir; }, "override"},
        {"", "Pair Product=C:\\x86\\app.exe\r\nPair Return Code=Yes",
         [](auto& s) { return s.pairProduct == u"C:\\x86\\app.exe" && s.pairReturnCode; }, "pair"},
        {"System Path=C:\\Tools\r\nLibrary Path=native", "",
         [](auto& s) { return s.systemPath == u"C:\\Tools" && s.libraryPath == u"native"; },
         "paths"},
        {"", "Single Instance=yes", [](auto& s) { return s.singleInstance; }, "single yes"},
        {"", "Single Instance=Yes", [](auto& s) { return !s.singleInstance; }, "single Yes"},
        {"", "Application Type=service\r\nSingle Instance=yes",
         [](auto& s) { return !s.singleInstance; }, "no single instance for a service"},
        {"", "Output Append=Yes\r\nError Append=yes",
         [](auto& s) { return !s.javaOptions.outputAppend && s.javaOptions.errorAppend; },
         "appending is exactly yes"},
        {"", "Embedded Jar=yES", [](auto& s) { return s.javaOptions.embeddedJar; }, "embedded"},
        {"Virtual Machine Parameters=-Xmx1g \"-Da=b c\"",
         "Output File=%TEMP%\\out.txt\r\nError File=err.txt\r\nCmd=a \"b c\"",
         [](auto& s) {
             const JavaOptionSettings& o = s.javaOptions;
             return o.vmParameters == u"-Xmx1g \"-Da=b c\"" && o.outputFile == u"%TEMP%\\out.txt" &&
                    o.errorFile == u"err.txt" && o.cmd == u"a \"b c\"";
         },
         "option keys as written, not yet expanded"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.holds(readWith(c.jre, c.application))) << c.what;
    }
}

TEST(ReadSettings, PreferredVersionsSplitAtSemicolonsUntrimmed) {
    LauncherSettings settings = readWith("Preferred versions=1.7; 1.8;;11");
    ASSERT_EQ(settings.preferredVersions.size(), 4u);
    EXPECT_EQ(settings.preferredVersions[0], u"1.7");
    EXPECT_EQ(settings.preferredVersions[1], u" 1.8");
    EXPECT_EQ(settings.preferredVersions[2], u"");
    EXPECT_EQ(settings.preferredVersions[3], u"11");
}

TEST(ReadSettings, ProductInformationAndJrePathFromTheMainIni) {
    OwnIniFile ini("[Product Information]\r\nProduct Name=My App\r\nProduct Code=1.0\r\n"
                   "[Java Runtime Environment]\r\nMain Class=M\r\nJRE Path=C:\\Java\r\n"
                   "[Application]\r\nApplication Type=service\r\n");
    LauncherSettings settings;
    ASSERT_TRUE(readOwnSettings(settings));
    EXPECT_EQ(settings.productName, u"My App");
    EXPECT_EQ(settings.productCode, u"1.0");
    EXPECT_EQ(settings.jrePath, u"C:\\Java");
}

} // namespace
} // namespace launcher
