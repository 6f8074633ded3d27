// The start-up cache's decisions that need no VM: the runtime's version, the
// user's own cache options, what makes a cache a different one, the files left
// behind, and a folder that cannot be written.
#include "java/startup_cache.h"
#include "platform/file_system.h"
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
    EXPECT_TRUE(layout.files().empty()) << layout.files().front();

    std::optional<StartupCachePlan> second = planStartupCache(layout.request);
    ASSERT_TRUE(second);
    std::ofstream(fs::path(second->pendingFile.view()), std::ios::binary) << "archive";
    publishStartupCache(*second);
    std::optional<StartupCachePlan> third = planStartupCache(layout.request);
    ASSERT_TRUE(third);
    EXPECT_TRUE(third->pendingFile.empty());
    EXPECT_EQ(third->options[0], WideString(u"-XX:SharedArchiveFile=") + second->finalFile.view());
}

// Files of other keys and unfinished ones go; other files of the folder stay.
TEST(PlanStartupCache, RemovesOnlyItsOwnOtherCaches) {
    Layout layout("17.0.9", true, false);
    for (const char* name : {"tool-startup-0000000000000000.jsa", "tool-startup-1.aot",
                             "tool-startup-2.aotconf", "tool-startup-3.jsa.77.tmp"}) {
        layout.cache.write(name, "old");
    }
    for (const char* name : {"tool.ini", "tool-startup-notes.txt", "other-startup-1.jsa"}) {
        layout.cache.write(name, "keep");
    }
    ASSERT_TRUE(planStartupCache(layout.request));
    std::vector<std::string> left = layout.files();
    EXPECT_EQ(left.size(), 4u) << ::testing::PrintToString(left); // the three kept and the pending
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

} // namespace
} // namespace launcher
