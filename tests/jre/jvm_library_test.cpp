// Finding the JVM library below a runtime home, loading it, and the hand-over rule.
#include "config/launcher_settings.h"
#include "jre/jvm_layout.h"
#include "jre/jvm_library.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/file_bytes.h"
#include "support/standard_output.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace launcher {

namespace {

using testing::captureStandardOutput;

// The system error code of a failed look-up of a missing export, and the code
// message 222 carries for a file that is no whole, plain library file.
#if defined(_WIN32)
constexpr uint32_t kMissingExportCode = ERROR_PROC_NOT_FOUND;
constexpr uint32_t kUnloadableImageCode = ERROR_BAD_EXE_FORMAT;
#else
// dlsym sets no errno; the platform layer names the missing symbol ENOENT.
constexpr uint32_t kMissingExportCode = ENOENT;
constexpr uint32_t kUnloadableImageCode = ENOEXEC;
#endif

// Whether the code is what the system gives for loading a file that is missing
// (`missing`) or is no library for this process.
bool isLoadFailureCode(uint32_t code, [[maybe_unused]] bool missing) {
#if defined(_WIN32)
    return missing ? code == ERROR_MOD_NOT_FOUND : code == ERROR_BAD_EXE_FORMAT;
#else
    return code != 0;
#endif
}

using testing::TestFolder;
using testing::toU16;

// The error line as it reaches the standard output: "Error: %s \n" around the text.
std::string errorLine(const std::string& text) {
    std::string line = "Error: ";
    for (char character : text + " \n") {
        if (character == '\n') {
            line += testing::kStandardOutputLineEnd;
        } else {
            line += character;
        }
    }
    return line;
}

// The code between "(errno = " and ")" of a captured line, empty when the line
// does not have that shape around `before`.
std::optional<uint32_t> reportedCode(const std::string& output, const std::string& before) {
    std::string head = errorLine(before + " (errno = ");
    head.resize(head.size() - testing::kStandardOutputLineEnd.size() - 1); // without " \n"
    std::string tail = errorLine(").\n");
    tail.erase(0, std::string_view("Error: ").size());
    if (output.size() <= head.size() + tail.size() || !output.starts_with(head) ||
        !output.ends_with(tail)) {
        return std::nullopt;
    }
    std::string digits = output.substr(head.size(), output.size() - head.size() - tail.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(digits));
}

TEST(JvmLibraryLoad, LibraryWithoutFindClassFromBootLoaderLoads) {
    JvmLibrary library;
    bool loaded = false;
    std::string output =
        captureStandardOutput([&] { loaded = library.load(LAUNCHER_TEST_JNI_COMPLETE); });
    EXPECT_TRUE(loaded);
    EXPECT_EQ(output, "");
    ASSERT_NE(library.createJavaVm, nullptr);
    ASSERT_NE(library.getDefaultJavaVmInitArgs, nullptr);
    EXPECT_EQ(library.findClassFromBootLoader, nullptr);
    // Each stand-in export answers with its own status.
    EXPECT_EQ(library.createJavaVm(nullptr, nullptr, nullptr), JNI_EVERSION);
    EXPECT_EQ(library.getDefaultJavaVmInitArgs(nullptr), JNI_EINVAL);
}

TEST(JvmLibraryLoad, EitherMissingEntryPointIsReportedAsCreateJavaVm) {
    const std::string expected =
        errorLine("Windows exception: cannot find CreateJavaVM JNI (errno = " +
                  std::to_string(kMissingExportCode) + ").\n");
    for (const char16_t* path :
         {LAUNCHER_TEST_JNI_WITHOUT_CREATE_JAVA_VM, LAUNCHER_TEST_JNI_WITHOUT_DEFAULT_INIT_ARGS}) {
        JvmLibrary library;
        bool loaded = true;
        std::string output = captureStandardOutput([&] { loaded = library.load(path); });
        EXPECT_FALSE(loaded) << platform::wideToNarrow(path);
        EXPECT_EQ(output, expected) << platform::wideToNarrow(path);
    }
}

TEST(JvmLibraryLoad, FilesThatAreNoLibraryOfThisProcessFailWithTheirPath) {
    TestFolder folder;
    struct {
        std::u16string path;
        bool missing;
    } cases[] = {
        {toU16(folder.path() / "missing.dll"), true},
        {toU16(folder.write("jvm.dll", "not a library\n")), false},
        // Without a companion launcher a 32-bit library is loaded here, and fails.
        {LAUNCHER_TEST_PE_IMAGE_X86, false},
    };
    for (const auto& c : cases) {
        std::string path = platform::wideToNarrow(c.path);
        JvmLibrary library;
        bool loaded = true;
        std::string output =
            captureStandardOutput([&] { loaded = library.load(WideString(c.path)); });
        EXPECT_FALSE(loaded) << path;
        std::optional<uint32_t> code =
            reportedCode(output, "Failed to load Java VM library: " + path);
        ASSERT_TRUE(code.has_value()) << output;
        EXPECT_TRUE(isLoadFailureCode(*code, c.missing)) << path << ": " << *code;
        EXPECT_EQ(library.createJavaVm, nullptr);
    }
}

// A library cut short (an interrupted copy) is refused before the system loader
// maps it: its segments or sections would reach past the end of the file, and
// touching them would end the process (SIGBUS on Linux). Reported as message 222.
TEST(JvmLibraryLoad, ALibraryCutShortIsRefusedWithMessage222) {
    std::string whole = testing::readFile(std::u16string(LAUNCHER_TEST_JNI_COMPLETE));
    ASSERT_GT(whole.size(), 4096u);
    TestFolder folder;
    const size_t lengths[] = {whole.size() / 2, whole.size() / 4, 1024};
    for (size_t length : lengths) {
        std::u16string path =
            toU16(folder.write("cut-" + std::to_string(length) + ".lib", whole.substr(0, length)));
        JvmLibrary library;
        bool loaded = true;
        std::string output =
            captureStandardOutput([&] { loaded = library.load(WideString(path)); });
        EXPECT_FALSE(loaded) << length;
        EXPECT_EQ(
            reportedCode(output, "Failed to load Java VM library: " + platform::wideToNarrow(path)),
            kUnloadableImageCode)
            << output;
        EXPECT_EQ(library.createJavaVm, nullptr);
    }
    // The whole file still loads.
    std::u16string copy = toU16(folder.write("whole.lib", whole));
    EXPECT_EQ(unloadableLibraryFileCode(WideString(copy)), 0u);
}

// Which library findJvmLibrary should give: the VM folder name, or empty for none.
struct Expected {
    std::u16string_view vm;
    bool server = false;
};

struct LayoutCase {
    const char* name;
    std::vector<std::u16string_view> vms; // libraries present in the home
    Expected any;
    Expected server;
    Expected favorServer;
};

const LayoutCase kLayoutCases[] = {
    {"client and server",
     {u"client", u"server"},
     {u"client", false},
     {u"server", true},
     {u"server", true}},
    {"only server", {u"server"}, {u"server", true}, {u"server", true}, {u"server", true}},
    {"only client", {u"client"}, {u"client", false}, {}, {u"client", false}},
    {"only jrockit", {u"jrockit"}, {u"jrockit", false}, {}, {u"jrockit", false}},
    {"classic before hotspot",
     {u"hotspot", u"classic"},
     {u"classic", false},
     {},
     {u"classic", false}},
    {"hotspot before server",
     {u"server", u"hotspot"},
     {u"hotspot", false},
     {u"server", true},
     {u"server", true}},
    {"server before jrockit",
     {u"jrockit", u"server"},
     {u"server", true},
     {u"server", true},
     {u"server", true}},
    {"empty home", {}, {}, {}, {}},
};

WideString homeOf(const TestFolder& folder) {
    return WideString(toU16(folder.path())) + std::u16string_view(&platform::kPathSeparator, 1);
}

void checkFind(const WideString& home, JvmType type, const Expected& expected,
               const std::string& name) {
    for (bool before : {false, true}) {
        bool serverVm = before;
        WideString found = findJvmLibrary(home, type, serverVm);
        if (expected.vm.empty()) {
            EXPECT_EQ(platform::wideToNarrow(found), "") << name;
            EXPECT_EQ(serverVm, before) << name << ": the flag must stay as it was";
        } else {
            WideString path = home + jvmLibraryCandidates(expected.vm).front();
            EXPECT_EQ(platform::wideToNarrow(found), platform::wideToNarrow(path)) << name;
            EXPECT_EQ(serverVm, expected.server) << name;
        }
    }
}

TEST(FindJvmLibrary, ProbeOrderForEachJvmType) {
    for (const LayoutCase& c : kLayoutCases) {
        TestFolder folder;
        for (std::u16string_view vm : c.vms) {
            std::string relative = platform::wideToNarrow(jvmLibraryCandidates(vm).front());
            folder.write(relative, "library");
        }
        WideString home = homeOf(folder);
        checkFind(home, JvmType::Any, c.any, std::string(c.name) + ", Any");
        checkFind(home, JvmType::Server, c.server, std::string(c.name) + ", Server");
        checkFind(home, JvmType::FavorServer, c.favorServer, std::string(c.name) + ", FavorServer");
    }
}

// Existence is a directory search: a folder of the library's name is a hit too.
TEST(FindJvmLibrary, AnyDirectoryEntryOfTheNameCounts) {
    TestFolder folder;
    std::string relative = platform::wideToNarrow(jvmLibraryCandidates(u"client").front());
    std::filesystem::create_directories(folder.path() / relative);
    checkFind(homeOf(folder), JvmType::Any, {u"client", false}, "folder named like the library");
}

struct HandOverCase {
    const char* name;
    std::u16string pairProduct;
    std::u16string library;
    bool handOver;
};

TEST(PairHandOver, OnlyAnX86LibraryWithACompanionConfigured) {
    TestFolder folder;
    std::u16string text = toU16(folder.write("jvm.dll", "plain text"));
    std::u16string missing = toU16(folder.path() / "missing.dll");
    const HandOverCase cases[] = {
        {"x86 with companion", u"launcher32.exe", LAUNCHER_TEST_PE_IMAGE_X86, true},
        {"x86-64 with companion", u"launcher32.exe", LAUNCHER_TEST_PE_IMAGE_X64, false},
        {"text file with companion", u"launcher32.exe", text, false},
        {"missing file with companion", u"launcher32.exe", missing, false},
        {"x86 without companion", u"", LAUNCHER_TEST_PE_IMAGE_X86, false},
        {"x86-64 without companion", u"", LAUNCHER_TEST_PE_IMAGE_X64, false},
    };
    for (const HandOverCase& c : cases) {
        EXPECT_EQ(needsPairHandOver(WideString(c.pairProduct), WideString(c.library)), c.handOver)
            << c.name;
    }
}

} // namespace
} // namespace launcher
