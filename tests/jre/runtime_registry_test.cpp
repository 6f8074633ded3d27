// Ranking and choosing registered runtimes, and the order of the runtime search,
// over an in-memory listing and runtime homes laid out in a test folder.
#include "config/launcher_settings.h"
#include "jre/jvm_layout.h"
#include "jre/runtime_registry.h"
#include "jre/runtime_search.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/own_ini_file.h"
#include "support/standard_output.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>

namespace launcher {

namespace {

using testing::captureStandardOutput;
using testing::TestFolder;

WideString toU16(const std::filesystem::path& path) {
    return WideString(testing::toU16(path));
}

constexpr RegistryView kNatural = RegistryView::Natural;
constexpr RegistryView kBits32 = RegistryView::Bits32;

// Settings as readSettings gives them for these lines of the two sections.
LauncherSettings settingsFor(const std::string& jre, const std::string& application = "") {
    testing::OwnIniFile ini("[Java Runtime Environment]\r\nMain Class=a.B\r\n" + jre +
                            "\r\n[Application]\r\n" + application + "\r\n");
    LauncherSettings settings;
    RunContext context;
    EXPECT_TRUE(findRunContext(context) && readSettings(context, settings));
    return settings;
}

// The registry of one test: entries per root key and view, and current registrations.
class MemorySource final : public RegistrationSource {
  public:
    std::vector<Registration> rootEntries(const RegistryRoot& root, RegistryView view) override {
        rootsRead.push_back(root.key);
        return roots[{std::u16string(root.key), view}];
    }
    std::vector<Registration> currentRegistrations(RegistryView view) override {
        return current[view];
    }

    std::map<std::pair<std::u16string, RegistryView>, std::vector<Registration>> roots;
    std::map<RegistryView, std::vector<Registration>> current;
    std::vector<std::u16string_view> rootsRead;
};

enum Root { JavaSoftJdk, JavaSoftJre, JRockitJre, JRockitJdk, IbmJre };

struct Entry {
    Root root;
    std::u16string name;
    std::string home; // a folder of the fixture
    RegistryView view = kNatural;
};

// Runtime homes with the VM libraries they hold; JDK homes hold them in jre/.
class RegisteredRuntimes : public ::testing::Test {
  protected:
    RegisteredRuntimes() {
        layOut("jre8", {u"server"});
        layOut("jre7", {u"client"});
        layOut("jreBoth", {u"client", u"server"});
        layOut("jdk8/jre", {u"server"});
        layOut("jdkOther/jre", {u"server"});
        layOut("jrockit", {u"jrockit"});
        layOut("ibm", {u"classic"});
        layOut("jdk17", {u"server"});
        folder.write("jdk17/release", "IMPLEMENTOR=\"X\"\nJAVA_VERSION=\"17.0.9\"\n");
        std::filesystem::create_directories(folder.path() / "empty");
    }

    void layOut(const std::string& home, std::vector<std::u16string_view> vms) {
        for (std::u16string_view vm : vms) {
            std::string relative = platform::wideToNarrow(jvmLibraryCandidates(vm).front());
            folder.write(home + "/" + relative, "");
        }
    }

    WideString home(const std::string& name) const {
        WideString path = toU16((folder.path() / name).make_preferred());
        path.append(platform::kPathSeparator);
        return path;
    }

    WideString library(const std::string& name, std::u16string_view vm) const {
        return home(name) + jvmLibraryCandidates(vm).front();
    }

    void add(const Entry& entry) {
        const RegistryRoot& root = kRegistryRoots[entry.root];
        source.roots[{std::u16string(root.key), entry.view}].push_back(
            {WideString(entry.name), toU16(folder.path() / entry.home), root.kind, root.provider});
    }

    TestFolder folder;
    MemorySource source;
};

struct RankingCase {
    const char* name;
    std::string jre; // lines of "Java Runtime Environment"
    std::vector<Entry> entries;
    std::string chosen; // the chosen home, "" for none
    JavaVersion version;
};

const RankingCase kRankingCases[] = {
    {"favoured JDK wins, through its jre folder",
     "JVM Source=favor_JDK",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {JavaSoftJdk, u"1.8.0_144", "jdk8"}},
     "jdk8/jre",
     {1, 8, 0, 144}},
    {"mixed sources rank by version alone",
     "",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {JavaSoftJdk, u"1.8.0_144", "jdk8"}},
     "jre8",
     {1, 8, 0, 152}},
    {"no favoured provider: the newest of either kind",
     "JVM Source=favor_JRE\r\nVM Provider=any",
     {{JavaSoftJre, u"1.7.0_80", "jre7"}, {JavaSoftJdk, u"1.8.0_144", "jdk8"}},
     "jdk8/jre",
     {1, 8, 0, 144}},
    {"only_JRE never reads a JDK root",
     "JVM Source=only_JRE",
     {{JavaSoftJdk, u"1.8.0_200", "jdk8"}, {JavaSoftJre, u"1.7.0_80", "jre7"}},
     "jre7",
     {1, 7, 0, 80}},
    {"a misspelt source reads no root",
     "JVM Source=favour_JDK",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {JavaSoftJdk, u"1.8.0_144", "jdk8"}},
     "",
     {}},
    {"jrockit in any case reads only the JRockit roots",
     "VM Provider=JRockIT",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {JRockitJre, u"1.6.0_45", "jrockit"}},
     "jrockit",
     {1, 6, 0, 45}},
    {"IBM runtimes only when their provider is allowed", "", {{IbmJre, u"1.8.0", "ibm"}}, "", {}},
    {"ibm favours the IBM root",
     "VM Provider=ibm",
     {{IbmJre, u"1.8.0", "ibm"}, {JavaSoftJre, u"1.8.0_152", "jre8"}},
     "ibm",
     {1, 8, 0, 0}},
    {"favor_ibm ranks IBM first among all",
     "VM Provider=favor_ibm\r\nJVM Source=favor_JRE",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {IbmJre, u"1.6.0", "ibm"}},
     "ibm",
     {1, 6, 0, 0}},
    {"the first matching preferred version",
     "Preferred versions=1.7;1.8",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {JavaSoftJre, u"1.7.0_80", "jre7"}},
     "jre7",
     {1, 7, 0, 80}},
    {"no preferred version matches: best first",
     "Preferred versions=1.6",
     {{JavaSoftJre, u"1.7.0_80", "jre7"}, {JavaSoftJre, u"1.8.0_152", "jre8"}},
     "jre8",
     {1, 8, 0, 152}},
    {"an empty preferred entry does not hide later ones",
     "Preferred versions=;1.7",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {JavaSoftJre, u"1.7.0_80", "jre7"}},
     "jre7",
     {1, 7, 0, 80}},
    {"two names for one home: the longer version first",
     "",
     {{JavaSoftJre, u"1.8", "jre8"}, {JavaSoftJre, u"1.8.0_152", "jre8"}},
     "jre8",
     {1, 8, 0, 152}},
    {"a name without digits is 0.0.0.0 and passes an open minimum",
     "",
     {{JavaSoftJre, u"latest", "jre8"}},
     "jre8",
     {0, 0, 0, 0}},
    {"and fails a minimum", "Minimum Version=1.6", {{JavaSoftJre, u"latest", "jre8"}}, "", {}},
    {"the minimum is inclusive and counts missing components as 0",
     "Minimum Version=1.8.0_152",
     {{JavaSoftJre, u"1.8.0_151", "jre7"},
      {JavaSoftJre, u"1.8", "jre7"},
      {JavaSoftJre, u"1.8.0_152", "jre8"}},
     "jre8",
     {1, 8, 0, 152}},
    {"the maximum fills missing components with 65535",
     "Maximum Version=1.8",
     {{JavaSoftJre, u"9.0.1", "jreBoth"}, {JavaSoftJre, u"1.8", "jre8"}},
     "jre8",
     {1, 8, 0, 0}},
    {"a home without a library is passed over",
     "",
     {{JavaSoftJre, u"1.8.0_300", "empty"}, {JavaSoftJre, u"1.8.0_152", "jre8"}},
     "jre8",
     {1, 8, 0, 152}},
    {"a server VM is required",
     "JVM Type=server",
     {{JavaSoftJre, u"1.8.0_300", "jre7"}, {JavaSoftJre, u"1.8.0_152", "jre8"}},
     "jre8",
     {1, 8, 0, 152}},
    {"favor_server: the JavaSoft JRE probed for any VM sorts after a server JDK",
     "JVM Type=favor_server",
     {{JavaSoftJre, u"1.8.0_200", "jreBoth"}, {JavaSoftJdk, u"1.8.0_100", "jdkOther"}},
     "jdkOther/jre",
     {1, 8, 0, 100}},
    {"equal candidates keep the root order",
     "",
     {{JavaSoftJre, u"1.8.0_152", "jre8"}, {JavaSoftJdk, u"1.8.0_152", "jdk8"}},
     "jdk8/jre",
     {1, 8, 0, 152}},
    {"a 32-bit registration is not read in the natural view",
     "",
     {{JavaSoftJre, u"1.8.0_152", "jre8", kBits32}},
     "",
     {}},
};

class Ranking : public RegisteredRuntimes, public ::testing::WithParamInterface<RankingCase> {};

TEST_P(Ranking, ChoosesTheExpectedHome) {
    const RankingCase& c = GetParam();
    for (const Entry& entry : c.entries) {
        add(entry);
    }
    std::optional<RuntimeCandidate> chosen =
        searchRegistryPass(settingsFor(c.jre), kNatural, source);
    if (c.chosen.empty()) {
        EXPECT_FALSE(chosen.has_value()) << platform::wideToNarrow(chosen->home);
        return;
    }
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(platform::wideToNarrow(chosen->home), platform::wideToNarrow(home(c.chosen)));
    EXPECT_EQ(chosen->version, c.version);
}

INSTANTIATE_TEST_SUITE_P(Rows, Ranking, ::testing::ValuesIn(kRankingCases),
                         [](const ::testing::TestParamInfo<RankingCase>& row) {
                             std::string name = row.param.name;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST_F(RegisteredRuntimes, OnlyTheSelectedRootsAreRead) {
    searchRegistryPass(settingsFor("JVM Source=only_JRE\r\nVM Provider=favor_sun"), kNatural,
                       source);
    EXPECT_EQ(source.rootsRead, (std::vector<std::u16string_view>{kRegistryRoots[JavaSoftJre].key,
                                                                  kRegistryRoots[JRockitJre].key,
                                                                  kRegistryRoots[IbmJre].key}));
}

TEST_F(RegisteredRuntimes, TheThirtyTwoBitPassNeedsACompanion) {
    add({JavaSoftJre, u"1.8.0_152", "jre8", kBits32});
    EXPECT_FALSE(searchRegistryPass(settingsFor(""), kBits32, source).has_value());
    EXPECT_TRUE(source.rootsRead.empty());
    LauncherSettings paired = settingsFor("", "Pair Product=launcher32.exe");
    std::optional<RuntimeChoice> choice = resolveRuntime(paired, WideString(), source);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jre8", u"server"));
    EXPECT_TRUE(choice->pairHandOver);
}

// The JRE probed for any VM is chosen all the same; its final probe takes the server VM.
TEST_F(RegisteredRuntimes, AChosenJreIsProbedAgainForTheServerVm) {
    add({JavaSoftJre, u"1.8.0_200", "jreBoth"});
    add({JavaSoftJdk, u"1.8.0_100", "jdkOther"});
    LauncherSettings settings =
        settingsFor("JVM Type=favor_server\r\nPreferred versions=1.8.0_200");
    std::optional<RuntimeChoice> choice = resolveRuntime(settings, WideString(), source);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jreBoth", u"server"));
    EXPECT_FALSE(choice->pairHandOver);
}

TEST_F(RegisteredRuntimes, CurrentRegistrationsTakeTheVersionOfTheirReleaseFile) {
    source.current[kNatural] = {
        {u"17", toU16(folder.path() / "jdk17"), RuntimeKind::Jdk, RuntimeProvider::Sun},
        {u"11.0.2", toU16(folder.path() / "jre8"), RuntimeKind::Jre, RuntimeProvider::Sun},
        {u"21", toU16(folder.path() / "ibm"), RuntimeKind::Jdk, RuntimeProvider::Ibm}};
    std::optional<RuntimeCandidate> chosen =
        searchCurrentRegistrations(settingsFor("Minimum Version=11"), kNatural, source);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->home, home("jdk17")); // as registered: no jre folder added
    EXPECT_EQ(chosen->version, (JavaVersion{17, 0, 9, 0}));
    // 17.0.9 passes a minimum that the subkey name 17 (17.0.0.0) would fail.
    chosen = searchCurrentRegistrations(settingsFor("Minimum Version=17.0.5"), kNatural, source);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->home, home("jdk17"));
    // OpenJ9 counts as IBM's VM.
    chosen = searchCurrentRegistrations(settingsFor("VM Provider=ibm"), kNatural, source);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->home, home("ibm"));
}

TEST_F(RegisteredRuntimes, CurrentRegistrationsComeOnlyAfterTheFiveRoots) {
    add({JavaSoftJre, u"1.7.0_80", "jre7"});
    source.current[kNatural] = {
        {u"17", toU16(folder.path() / "jdk17"), RuntimeKind::Jdk, RuntimeProvider::Sun}};
    std::optional<RuntimeChoice> choice = resolveRuntime(settingsFor(""), WideString(), source);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jre7", u"client"));
    choice = resolveRuntime(settingsFor("Minimum Version=9"), WideString(), source);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jdk17", u"server"));
}

class SearchOrder : public RegisteredRuntimes {
  protected:
    void SetUp() override {
        add({JavaSoftJre, u"1.8.0_152", "jre8"});
        layOut("app", {u"client"});
        layOut("app/jre64", {u"server"});
    }
    void mark(const std::string& runtime) {
        folder.write(runtime + "/" + platform::wideToNarrow(kRuntimeMarkerFile), "");
    }
    std::optional<RuntimeChoice> resolve(const std::string& jre) {
        return resolveRuntime(settingsFor(jre), home("app"), source);
    }
};

TEST_F(SearchOrder, AJrePathWithoutTheLibraryFallsThroughToTheRegistry) {
    std::optional<RuntimeChoice> choice =
        resolve("JRE Path=" + platform::wideToNarrow(home("jre7")) + "\r\nJVM Type=server");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jre8", u"server"));
}

// "C:jre7" continues from drive C's current directory: never a runtime to use.
TEST_F(SearchOrder, ADriveRelativeJrePathFallsThroughToTheRegistry) {
    if (!platform::kDriveAndNetworkRoots) {
        GTEST_SKIP() << "drives are Windows paths";
    }
    testing::CurrentDirectoryInside inside(folder.path());
    std::string drive = folder.path().string().substr(0, 2);
    std::optional<RuntimeChoice> choice = resolve("JRE Path=" + drive + "jre7");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jre8", u"server"));
}

TEST_F(SearchOrder, AJrePathIsUsedWhateverItsVersion) {
    std::optional<RuntimeChoice> choice =
        resolve("JRE Path=" + (folder.path() / "jre7").string() + "\r\nMinimum Version=9");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jre7", u"client"));
}

TEST_F(SearchOrder, TheLauncherFolderWinsOverItsJre64Folder) {
    mark("app/jre64");
    std::optional<RuntimeChoice> choice = resolve("");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("app/jre64", u"server"));
    mark("app");
    EXPECT_EQ(findPrivateRuntime(home("app")), home("app"));
    choice = resolve("Minimum Version=99");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("app", u"client"));
}

TEST_F(SearchOrder, APrivateRuntimeWithoutTheLibraryFallsThroughToTheRegistry) {
    mark("app");
    std::optional<RuntimeChoice> choice = resolve("JVM Type=server");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->jvmLibraryPath, library("jre8", u"server"));
}

TEST_F(SearchOrder, NothingFoundPrintsTheRequirement) {
    std::optional<RuntimeChoice> choice;
    std::string output =
        captureStandardOutput([&] { choice = resolve("Minimum Version=1.9\r\nJVM Type=server"); });
    EXPECT_FALSE(choice.has_value());
    EXPECT_NE(output.find("The Java Runtime Environment (JRE) was not found. Please  download and "
                          "install a JRE with a server JVM (minimum version 1.9) from:"),
              std::string::npos)
        << output;
}

} // namespace
} // namespace launcher
