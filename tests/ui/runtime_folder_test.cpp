// Probing a folder the user names, and the terminal prompt's questions and answers.
#include "ui/runtime_folder.h"

#include "jre/jvm_layout.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/image_bytes.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace launcher {
namespace {

using testing::CurrentDirectoryInside;
using testing::elfHeader;
using testing::kElfMachineX86;
using testing::kPeMachineX64;
using testing::kPeMachineX86;
using testing::peImage;
using testing::putLittleEndian;
using testing::TestFolder;
using testing::toU16;

constexpr bool kLinux = platform::kPathSeparator == u'/';

class RuntimeFolderTest : public ::testing::Test {
  protected:
    // A runtime home below the test folder whose only VM is `vm`; its path
    // without a trailing separator.
    WideString runtimeWith(const std::string& home, std::u16string_view vm,
                           const std::string& image = "") {
        std::u16string library(jvmLibraryCandidates(vm).front());
        folder.write(home + "/" + platform::wideToUtf8(library), image);
        return WideString(toU16(folder.path() / home));
    }

    // Runs the prompt on `lines`; what it wrote goes to `shown`.
    std::optional<ChosenRuntime> prompt(std::deque<WideString> lines, JvmType type) {
        shown.clear();
        return promptForRuntimeFolder(
            u"Not found.", {type, false},
            [&lines](WideString& line) {
                if (lines.empty()) {
                    return false;
                }
                line = lines.front();
                lines.pop_front();
                return true;
            },
            [this](const WideString& text) { shown += platform::wideToUtf8(text.view()); });
    }

    TestFolder folder;
    std::string shown;
};

TEST_F(RuntimeFolderTest, TheLibraryMustBeOfTheConfiguredType) {
    WideString server = runtimeWith("server-home", u"server");
    WideString client = runtimeWith("client-home", u"client");
    struct {
        const WideString* home;
        JvmType type;
        bool found;
    } rows[] = {
        {&server, JvmType::Server, true}, {&client, JvmType::Server, false},
        {&client, JvmType::Any, true},    {&client, JvmType::FavorServer, true},
        {&server, JvmType::Any, true},
    };
    for (const auto& row : rows) {
        ChosenRuntime probed = probeRuntimeFolder(*row.home, {row.type, false});
        EXPECT_EQ(probed.folder, *row.home + std::u16string_view(&platform::kPathSeparator, 1));
        EXPECT_EQ(!probed.jvmLibraryPath.empty(), row.found)
            << platform::wideToUtf8(row.home->view()) << " " << static_cast<int>(row.type);
        if (row.found) {
            EXPECT_TRUE(probed.jvmLibraryPath.startsWith(probed.folder));
        }
    }
    // A folder that already ends with a separator (a drive root) gets no second one.
    WideString withSeparator = server + std::u16string_view(&platform::kPathSeparator, 1);
    EXPECT_EQ(probeRuntimeFolder(withSeparator, {JvmType::Server, false}).folder, withSeparator);
}

TEST_F(RuntimeFolderTest, AWrongFolderIsRefusedAndAskedAgain) {
    WideString server = runtimeWith("jdk", u"server");
    WideString empty(toU16(folder.path()));
    std::optional<ChosenRuntime> chosen = prompt({empty, server + u"\r"}, JvmType::Server);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->folder, server + std::u16string_view(&platform::kPathSeparator, 1));
    EXPECT_FALSE(chosen->jvmLibraryPath.empty());
    EXPECT_EQ(shown.rfind("Not found.\n  https://", 0), 0u) << shown;
    EXPECT_NE(shown.find("No server JVM library below " + platform::wideToUtf8(empty.view())),
              std::string::npos)
        << shown;
    size_t first = shown.find("JRE Path: ");
    EXPECT_NE(shown.find("JRE Path: ", first + 1), std::string::npos) << "asked twice: " << shown;
}

// Images the loader of this system refuses: a 32-bit one, and one whose tables
// reach beyond the end of the file.
std::string x86Image() {
    return kLinux ? elfHeader(1, kElfMachineX86) : peImage(kPeMachineX86);
}

std::string cutShortImage() {
    if (kLinux) {
        std::string bytes = elfHeader(2, 62);
        putLittleEndian(bytes, 32, 64, 8);   // e_phoff
        putLittleEndian(bytes, 54, 56, 2);   // e_phentsize
        putLittleEndian(bytes, 56, 1000, 2); // e_phnum: far beyond the file
        return bytes;
    }
    std::string bytes = peImage(kPeMachineX64);
    putLittleEndian(bytes, 0x80 + 6, 50, 2); // sections: a table beyond the file
    return bytes;
}

// A choice that cannot load would be saved and fail at every later start.
TEST_F(RuntimeFolderTest, ALibraryTheLoaderWouldRefuseIsNotChosen) {
    struct {
        const char* home;
        std::string image;
        bool x86Allowed;
        bool chosen;
    } rows[] = {
        {"x86", x86Image(), false, false},
        {"x86-with-companion", x86Image(), true, true},
        {"cut-short", cutShortImage(), true, false},
    };
    for (const auto& row : rows) {
        WideString home = runtimeWith(row.home, u"server", row.image);
        ChosenRuntime probed = probeRuntimeFolder(home, {JvmType::Any, row.x86Allowed});
        EXPECT_EQ(!probed.jvmLibraryPath.empty(), row.chosen) << row.home;
        EXPECT_EQ(probed.refusedLibrary.empty(), row.chosen) << row.home;
    }
    EXPECT_FALSE(prompt({runtimeWith("x86", u"server", x86Image())}, JvmType::Any));
    EXPECT_NE(shown.find("This launcher cannot load "), std::string::npos) << shown;
}

// Saved as "JRE Path", a relative answer would be read against the launcher's folder.
TEST_F(RuntimeFolderTest, ARelativeAnswerIsKeptAsTheFolderItNamesNow) {
    WideString home = runtimeWith("jdk", u"server");
    CurrentDirectoryInside inside(folder.path());
    std::optional<ChosenRuntime> chosen = prompt({u"jdk"}, JvmType::Any);
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(platform::isAbsolutePath(chosen->folder.view()));
    EXPECT_TRUE(platform::sameFile(chosen->folder, home))
        << platform::wideToUtf8(chosen->folder.view());
}

TEST_F(RuntimeFolderTest, AnEmptyLineOrTheEndOfInputCancels) {
    WideString server = runtimeWith("jdk", u"server");
    EXPECT_FALSE(prompt({u"", server}, JvmType::Any));
    EXPECT_FALSE(prompt({}, JvmType::Any));
    EXPECT_FALSE(prompt({WideString(toU16(folder.path()))}, JvmType::Any));
}

} // namespace
} // namespace launcher
