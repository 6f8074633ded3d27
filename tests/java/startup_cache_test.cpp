// The start-up cache's decisions that need no VM: the runtime's version, the
// user's own cache options, what makes a cache a different one, the files left
// behind, and a folder that cannot be written.
#include "java/startup_cache.h"
#include "platform/file_system.h"
#include "support/scoped_variable.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace launcher {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;
using testing::toU16;

#if defined(_WIN32)
constexpr const char* kLibrary = "bin/server/jvm.dll";
constexpr const char* kJavaProgram = "bin/java.exe";
#else
constexpr const char* kLibrary = "lib/server/libjvm.so";
constexpr const char* kJavaProgram = "bin/java";
#endif

WideString pathOf(const fs::path& path) {
    return WideString(toU16(fs::path(path).make_preferred()));
}

TEST(RuntimeFeatureVersion, ComesFromTheReleaseFileOfTheHome) {
    const struct {
        const char* release; // nullptr: no file
        const char* jreFolder;
        int feature;
    } cases[] = {
        {"JAVA_VERSION=\"17.0.9\"\n", "", 17},
        {"IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"25\"\n", "", 25},
        {"JAVA_VERSION=\"1.8.0_392\"\n", "jre/", 8}, // a JDK 8 keeps it above jre/
        {"JAVA_VERSION=\"13-ea\"\n", "", 13},
        {"JAVA_VERSION=\"\"\n", "", 0},
        {"IMPLEMENTOR=\"x\"\n", "", 0},
        {nullptr, "", 0},
    };
    for (const auto& c : cases) {
        TestFolder home;
        if (c.release != nullptr) {
            home.write("release", c.release);
        }
        fs::path library = home.write(std::string(c.jreFolder) + kLibrary, "");
        EXPECT_EQ(runtimeFeatureVersion(pathOf(library)), c.feature)
            << (c.release ? c.release : "no release file");
    }
}

TEST(ChoosesClassCache, TheUsersOwnCacheOrSharingOptionsWin) {
    const struct {
        std::u16string_view option;
        bool own;
    } cases[] = {
        {u"-XX:SharedArchiveFile=app.jsa", true},
        {u"-XX:ArchiveClassesAtExit=a.jsa", true},
        {u"-XX:AOTCache=app.aot", true},
        {u"-XX:AOTCacheOutput=app.aot", true},
        {u"-XX:AOTConfiguration=a.conf", true},
        {u"-XX:AOTMode=off", true},
        {u"-XX:+AutoCreateSharedArchive", true},
        {u"-Xshare:off", true},
        {u"-Xshare:auto", true},
        {u"-Xmx512m", false},
        {u"-Xlog:cds", false},
        {u"-Djava.class.path=a.jar", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(choosesClassCache(c.option), c.own)
            << std::string(c.option.begin(), c.option.end());
    }
}

// A runtime home with a JVM library, its release file and, as asked, a base
// archive and a java program; a jar for the class path; and the cache folder.
struct Layout {
    Layout(const char* version, bool baseArchive, bool javaProgram) {
        runtime.write("release", std::string("JAVA_VERSION=\"") + version + "\"\n");
        fs::path library = runtime.write(kLibrary, "library");
        if (baseArchive) {
            runtime.write(fs::path(kLibrary).parent_path().string() + "/classes.jsa", "");
        }
        if (javaProgram) {
            runtime.write(kJavaProgram, "");
        }
        jar = application.write("lib/app.jar", "jar");
        request.folder = pathOf(cache.path()) + std::u16string(1, platform::kPathSeparator);
        request.name = WideString(u"tool");
        request.jvmLibraryPath = pathOf(library);
        request.options = {WideString(u"-Xmx64m"),
                           WideString(u"-Djava.class.path=") + pathOf(jar).view()};
    }

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(cache.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TestFolder runtime, application, cache;
    fs::path jar;
    StartupCacheRequest request;
};

TEST(StartupCacheKey, FollowsTheRuntimeTheOptionsAndTheJars) {
    Layout layout("17.0.9", true, false);
    const StartupCacheRequest& request = layout.request;
    WideString key = startupCacheKey(request);
    EXPECT_EQ(key.length(), 16);
    EXPECT_EQ(startupCacheKey(request), key) << "the same inputs give the same key";

    StartupCacheRequest otherOptions = request;
    otherOptions.options[0] = WideString(u"-Xmx65m");
    EXPECT_NE(startupCacheKey(otherOptions), key);

    StartupCacheRequest otherLibrary = request;
    otherLibrary.jvmLibraryPath = otherLibrary.jvmLibraryPath + u"x";
    EXPECT_NE(startupCacheKey(otherLibrary), key);

    std::ofstream(layout.jar, std::ios::app) << "more classes";
    EXPECT_NE(startupCacheKey(request), key) << "a jar of another size is another class path";
}

TEST(PlanStartupCache, OptionsFitTheRuntime) {
    const struct {
        const char* version;
        bool baseArchive, javaProgram;
        std::u16string_view firstOption; // empty: no cache
        std::u16string_view finalEnd;
    } cases[] = {
        {"11.0.13", true, true, u"", u""},
        {"17.0.9", true, false, u"-XX:ArchiveClassesAtExit=", u".jsa"},
        {"21.0.8", false, true, u"", u""}, // no base archive: such a VM would not start
        {"21.0.8", true, true, u"-XX:ArchiveClassesAtExit=", u".jsa"},
        {"25.0.2", false, true, u"-XX:AOTMode=record", u".aotconf"},
        {"25.0.2", true, false, u"-XX:ArchiveClassesAtExit=", u".jsa"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + (c.baseArchive ? " base archive" : "") +
                     (c.javaProgram ? " java" : ""));
        Layout layout(c.version, c.baseArchive, c.javaProgram);
        std::optional<StartupCachePlan> plan = planStartupCache(layout.request);
        if (c.firstOption.empty()) {
            EXPECT_FALSE(plan);
            EXPECT_TRUE(layout.files().empty());
            continue;
        }
        ASSERT_TRUE(plan);
        ASSERT_FALSE(plan->options.empty());
        EXPECT_TRUE(plan->options[0].startsWith(c.firstOption));
        EXPECT_TRUE(plan->finalFile.endsWith(c.finalEnd));
        // Reserved now, so that an unwritable folder is known before the VM starts.
        EXPECT_TRUE(platform::fileStamp(plan->pendingFile));
    }
}

// Only a file the VM wrote is published; an empty one (the VM ended before it
// wrote anything) is taken away; and the next plan maps what was published.
TEST(PlanStartupCache, PublishesOnlyWhatTheVmWrote) {
    Layout layout("17.0.9", true, false);
    std::optional<StartupCachePlan> first = planStartupCache(layout.request);
    ASSERT_TRUE(first);
    publishStartupCache(*first);
    ASSERT_EQ(layout.files().size(), 1u) << "the mark of a failed attempt";
    EXPECT_TRUE(layout.files().front().ends_with(".tried")) << layout.files().front();
    fs::remove(layout.cache.path() / layout.files().front());

    std::optional<StartupCachePlan> second = planStartupCache(layout.request);
    ASSERT_TRUE(second);
    std::ofstream(fs::path(second->pendingFile.view()), std::ios::binary) << "archive";
    publishStartupCache(*second);
    std::optional<StartupCachePlan> third = planStartupCache(layout.request);
    ASSERT_TRUE(third);
    EXPECT_TRUE(third->pendingFile.empty());
    EXPECT_EQ(third->options[0], WideString(u"-XX:SharedArchiveFile=") + second->finalFile.view());
    EXPECT_EQ(layout.files().size(), 1u) << ::testing::PrintToString(layout.files());
}

// The name a plan's files begin with: the program, the installation, the key.
std::string baseNameOf(const StartupCachePlan& plan) {
    std::string name = fs::path(plan.finalFile.view()).filename().string();
    return name.substr(0, name.find('.'));
}

// Files of other keys go; other files of the folder stay.
TEST(PlanStartupCache, RemovesOnlyItsOwnOtherCaches) {
    Layout layout("17.0.9", true, false);
    std::optional<StartupCachePlan> first = planStartupCache(layout.request);
    ASSERT_TRUE(first);
    std::string ownPrefix = baseNameOf(*first).substr(0, baseNameOf(*first).size() - 16);
    for (const char* old : {"0000000000000000.jsa", "1.aot", "2.aotconf", "3.jsa.77.tmp"}) {
        layout.cache.write(ownPrefix + old, "old");
    }
    for (const char* name : {"tool.ini", "tool-startup-notes.txt", "other-startup-1.jsa"}) {
        layout.cache.write(name, "keep");
    }
    layout.request.options[0] = WideString(u"-Xmx65m"); // another key
    ASSERT_TRUE(planStartupCache(layout.request));
    std::vector<std::string> left = layout.files();
    // the three kept, and the new key's mark and pending file
    EXPECT_EQ(left.size(), 5u) << ::testing::PrintToString(left);
    for (const char* name : {"tool.ini", "tool-startup-notes.txt", "other-startup-1.jsa"}) {
        EXPECT_TRUE(fs::exists(layout.cache.path() / name)) << name;
    }
}

TEST(PlanStartupCache, NothingWithoutAWritableFolderOrWithTheUsersOwnCache) {
    Layout layout("17.0.9", true, false);
    StartupCacheRequest missing = layout.request;
    missing.folder =
        pathOf(layout.cache.path() / "no" / "such") + std::u16string(1, platform::kPathSeparator);
    EXPECT_FALSE(planStartupCache(missing));
    StartupCacheRequest none = layout.request;
    none.folder = WideString();
    EXPECT_FALSE(planStartupCache(none));
    StartupCacheRequest own = layout.request;
    own.options.push_back(WideString(u"-XX:SharedArchiveFile=mine.jsa"));
    EXPECT_FALSE(planStartupCache(own));
    EXPECT_TRUE(layout.files().empty());
}

// A recording that failed, or never came back, is not tried again until the key
// changes.
TEST(PlanStartupCache, AFailedAttemptIsNotRepeatedForTheSameKey) {
    for (const char* version : {"17.0.9", "25.0.2"}) {
        SCOPED_TRACE(version);
        Layout layout(version, true, true);
        std::optional<StartupCachePlan> first = planStartupCache(layout.request);
        ASSERT_TRUE(first);
        publishStartupCache(*first); // the VM wrote nothing
        EXPECT_FALSE(planStartupCache(layout.request));
        EXPECT_FALSE(planStartupCache(layout.request));
        layout.request.options[0] = WideString(u"-Xmx65m");
        EXPECT_TRUE(planStartupCache(layout.request));
    }
}

// An assembly that fails (here: a java program that cannot run) leaves the
// start without cache options, and the next start does not try it again.
TEST(PlanStartupCache, AFailedAssemblyIsRemembered) {
    Layout layout("25.0.2", false, true);
    std::optional<StartupCachePlan> record = planStartupCache(layout.request);
    ASSERT_TRUE(record);
    std::ofstream(fs::path(record->pendingFile.view()), std::ios::binary) << "configuration";
    publishStartupCache(*record);
    EXPECT_FALSE(planStartupCache(layout.request));
    std::vector<std::string> files = layout.files();
    ASSERT_EQ(files.size(), 1u) << ::testing::PrintToString(files);
    EXPECT_TRUE(files[0].ends_with(".tried")) << files[0];
    EXPECT_FALSE(planStartupCache(layout.request));
}

TEST(FindCacheObstacle, OneRowPerOptionOrCondition) {
    const struct {
        std::vector<std::u16string> options;
        std::u16string toolOptions;
        int feature;
        std::string_view reason; // empty: a cache can work
        std::string_view source;
    } cases[] = {
        {{u"-Xmx64m"}, u"", 17, "", ""},
        {{}, u"", 11, "runtime-too-old", "runtime"},
        {{u"-agentlib:jdwp=transport=dt_socket,server=y"}, u"", 17, "agent", "options"},
        {{u"-agentpath:/opt/a.so"}, u"", 21, "agent", "options"},
        {{u"-javaagent:agent.jar"}, u"", 25, "agent", "options"},
        {{u"-XX:-UseSharedSpaces"}, u"", 17, "sharing-off", "options"},
        {{u"-XX:+UseSharedSpaces"}, u"", 17, "", ""},
        {{u"--limit-modules=java.base"}, u"", 25, "limited-modules", "options"},
        {{u"--patch-module=java.base=patch"}, u"", 17, "patched-modules", "options"},
        {{u"-XX:SharedArchiveFile=a.jsa"}, u"", 17, "own-cache-option", "options"},
        {{}, u"-Xmx1g -javaagent:agent.jar", 17, "agent", "JAVA_TOOL_OPTIONS"},
        {{}, u"\"-Dtitle=a b\" -XX:-UseSharedSpaces", 25, "sharing-off", "JAVA_TOOL_OPTIONS"},
        {{}, u"\"-Dx=-javaagent:a.jar\"", 17, "", ""},
        {{u"-XX:+DisplayVMOutputToStdout"}, u"", 17, "", ""},
        {{u"-XX:+DisplayVMOutputToStdout"}, u"", 25, "own-output-option", "options"},
    };
    Layout layout("17.0.9", true, false);
    for (const auto& c : cases) {
        StartupCacheRequest request = layout.request;
        for (const std::u16string& option : c.options) {
            request.options.emplace_back(option);
        }
        request.toolOptions = WideString(c.toolOptions);
        std::optional<CacheObstacle> obstacle = findCacheObstacle(request, c.feature);
        SCOPED_TRACE(::testing::PrintToString(c.toolOptions) + " " + std::to_string(c.feature));
        EXPECT_EQ(obstacle ? obstacle->reason : "", c.reason);
        EXPECT_EQ(obstacle ? obstacle->source : "", c.source);
    }
}

// Only a folder with something in it, before a jar, stands in the way.
TEST(FindCacheObstacle, ANonEmptyFolderBeforeAJar) {
    const struct {
        std::vector<const char*> entries;
        bool obstacle;
    } cases[] = {
        {{"conf", "lib/app.jar"}, true},
        {{"lib/app.jar", "conf"}, false},
        {{"empty", "lib/app.jar"}, false},
        {{"missing", "lib/app.jar"}, false},
        {{"lib/app.jar", "conf", "lib/app.jar"}, true},
    };
    Layout layout("17.0.9", true, false);
    layout.application.write("conf/app.properties", "a=1");
    fs::create_directories(layout.application.path() / "empty");
    for (const auto& c : cases) {
        std::u16string classPath;
        for (const char* entry : c.entries) {
            if (!classPath.empty()) {
                classPath += platform::kPathListSeparator;
            }
            classPath += pathOf(layout.application.path() / entry).view();
        }
        StartupCacheRequest request = layout.request;
        request.options[1] = WideString(u"-Djava.class.path=") + classPath;
        EXPECT_EQ(findCacheObstacle(request, 17).has_value(), c.obstacle)
            << ::testing::PrintToString(c.entries);
    }
}

TEST(SplitToolOptions, BlanksSeparateQuotesGroup) {
    EXPECT_EQ(splitToolOptions(u"  -Xmx1g\t-Da=1 "),
              (WideStringList{WideString(u"-Xmx1g"), WideString(u"-Da=1")}));
    EXPECT_EQ(splitToolOptions(u"-Dt=\"a b\" '-Dq=\"x\"' \"\""),
              (WideStringList{WideString(u"-Dt=a b"), WideString(u"-Dq=\"x\""), WideString()}));
    EXPECT_TRUE(splitToolOptions(u"").empty());
}

TEST(ArgumentFileText, EveryArgumentQuotedWithEscapes) {
    EXPECT_EQ(argumentFileText({WideString(u"-Da=b c"), WideString(u"C:\\x\\\"y")}),
              "\"-Da=b c\"\n\"C:\\\\x\\\\\\\"y\"\n");
}

// What varies between starts of one configuration does not make another key;
// a jar replaced by one of the same size and time does.
TEST(StartupCacheKey, FollowsFileIdentityNotTheInheritedSearchPath) {
    Layout layout("17.0.9", true, false);
    StartupCacheRequest request = layout.request;
    request.options.emplace(request.options.begin(), u"-Djava.library.path=/a:/usr/bin");
    WideString key = startupCacheKey(request);
    request.options[0] = WideString(u"-Djava.library.path=/b:/usr/bin");
    EXPECT_EQ(startupCacheKey(request), key);

    fs::file_time_type time = fs::last_write_time(layout.jar);
    fs::path replacement = layout.application.write("lib/new.jar", "JAR");
    fs::last_write_time(replacement, time);
    fs::rename(replacement, layout.jar);
    ASSERT_EQ(fs::file_size(layout.jar), 3u);
    ASSERT_EQ(fs::last_write_time(layout.jar), time);
    EXPECT_NE(startupCacheKey(request), key);
}

// Another installed copy of the program, or the program started under a name
// of another case on Windows, keeps the caches of the first.
TEST(PlanStartupCache, InstalledCopiesKeepEachOthersCaches) {
    Layout layout("17.0.9", true, false);
    layout.request.executablePath = pathOf(layout.application.path() / "tool.exe");
    std::optional<StartupCachePlan> plan = planStartupCache(layout.request);
    ASSERT_TRUE(plan);
    std::ofstream(fs::path(plan->pendingFile.view()), std::ios::binary) << "archive";
    publishStartupCache(*plan);

    StartupCacheRequest other = layout.request;
    other.executablePath = pathOf(layout.runtime.path() / "tool.exe");
    other.options[0] = WideString(u"-Xmx65m");
    ASSERT_TRUE(planStartupCache(other));
    EXPECT_TRUE(platform::fileStamp(plan->finalFile)) << "another installation's cache stays";

    StartupCacheRequest otherCase = layout.request;
    otherCase.name = WideString(u"TOOL");
    otherCase.executablePath = pathOf(layout.application.path() / "TOOL.exe");
    ASSERT_TRUE(planStartupCache(otherCase));
    EXPECT_TRUE(platform::fileStamp(plan->finalFile));
}

#if !defined(_WIN32)
// A file or folder another user may write is neither used nor removed.
TEST(PlanStartupCache, WhatOthersMayWriteIsNeitherUsedNorRemoved) {
    Layout layout("17.0.9", true, false);
    std::optional<StartupCachePlan> plan = planStartupCache(layout.request);
    ASSERT_TRUE(plan);
    std::ofstream(fs::path(plan->pendingFile.view()), std::ios::binary) << "archive";
    publishStartupCache(*plan);
    fs::permissions(fs::path(plan->finalFile.view()), fs::perms::group_write,
                    fs::perm_options::add);
    EXPECT_FALSE(planStartupCache(layout.request));
    StartupCacheRequest other = layout.request;
    other.options[0] = WideString(u"-Xmx65m");
    ASSERT_TRUE(planStartupCache(other));
    EXPECT_TRUE(platform::fileStamp(plan->finalFile)) << "not removed either";
}

TEST(StartupCacheFolder, MadePrivateAndRefusedWhenOthersMayWrite) {
    TestFolder home;
    testing::ScopedVariable cache(u"XDG_CACHE_HOME", toU16(home.path() / "cache"));
    std::string_view problem;
    WideString folder = startupCacheFolder(WideString(u"My:App"), WideString(u"C1"), problem);
    ASSERT_EQ(fs::path(folder.view()), home.path() / "cache" / "MyApp" / "C1" / "");
    for (const fs::path& level :
         {home.path() / "cache" / "MyApp", home.path() / "cache" / "MyApp" / "C1"}) {
        EXPECT_EQ(fs::status(level).permissions() & fs::perms::all, fs::perms::owner_all);
    }
    fs::permissions(home.path() / "cache" / "MyApp", fs::perms::others_write,
                    fs::perm_options::add);
    EXPECT_TRUE(startupCacheFolder(WideString(u"MyApp"), WideString(u"C1"), problem).empty());
    EXPECT_EQ(problem, "cache-folder-not-private");
    EXPECT_TRUE(startupCacheFolder(WideString(u"MyApp"), WideString(u".."), problem).empty());
}
#endif

} // namespace
} // namespace launcher
