// The identity options of the Windows build, read back from the executable they
// produce: a separate build of the launcher alone in a temporary folder, with every
// option set, and configurations the options must refuse.
#include "support/pe_resources.h"
#include "support/file_bytes.h"
#include "support/process.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace launcher::testing {
namespace {

namespace fs = std::filesystem;

// Building the launcher and its layers again takes a while on a busy machine.
constexpr std::chrono::minutes kBuildLimit{14};

void putWord(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void putDword(std::string& out, uint32_t value) {
    putWord(out, value & 0xFFFF);
    putWord(out, value >> 16);
}

// One square 32-bit image of an icon: a device-independent bitmap of `colour`
// (BGRA) with a white diagonal, so that no two images are alike.
struct IconImage {
    uint32_t size;
    std::string bitmap;
};

IconImage iconImage(uint32_t size, uint32_t colour) {
    IconImage image{size, {}};
    std::string& out = image.bitmap;
    uint32_t maskRow = (size + 31) / 32 * 4;
    putDword(out, 40);       // BITMAPINFOHEADER
    putDword(out, size);     // width
    putDword(out, 2 * size); // height of the colours and the mask together
    putWord(out, 1);         // planes
    putWord(out, 32);        // bits per pixel
    putDword(out, 0);        // BI_RGB
    putDword(out, size * size * 4 + size * maskRow);
    for (int unused = 0; unused < 4; ++unused) {
        putDword(out, 0);
    }
    for (uint32_t y = 0; y < size; ++y) {
        for (uint32_t x = 0; x < size; ++x) {
            putDword(out, x == y ? 0xFFFFFFFFu : colour);
        }
    }
    out.append(size * maskRow, '\0'); // every pixel drawn
    return image;
}

// An .ico file: ICONDIR, one ICONDIRENTRY per image, the images.
std::string icoFile(const std::vector<IconImage>& images) {
    std::string out;
    putWord(out, 0);
    putWord(out, 1);
    putWord(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const IconImage& image : images) {
        out.push_back(static_cast<char>(image.size));
        out.push_back(static_cast<char>(image.size));
        out.push_back(0); // colour count: none for 32 bits
        out.push_back(0);
        putWord(out, 1);
        putWord(out, 32);
        putDword(out, static_cast<uint32_t>(image.bitmap.size()));
        putDword(out, offset);
        offset += static_cast<uint32_t>(image.bitmap.size());
    }
    for (const IconImage& image : images) {
        out += image.bitmap;
    }
    return out;
}

// The end of a long build log, where its error is.
std::string tail(const std::string& output) {
    constexpr size_t kKept = 3000;
    return output.size() <= kKept ? output : "..." + output.substr(output.size() - kKept);
}

// The configure command of a separate Windows build in `build` with `options`.
std::vector<std::string> configureCommand(const fs::path& build,
                                          const std::vector<std::string>& options) {
    std::vector<std::string> command = {LAUNCHER_CMAKE,
                                        "-S",
                                        LAUNCHER_SOURCE_DIR,
                                        "-B",
                                        build.string(),
                                        "-G",
                                        "Ninja",
                                        "-DCMAKE_MAKE_PROGRAM=" LAUNCHER_MAKE_PROGRAM,
                                        "--toolchain",
                                        LAUNCHER_MINGW_TOOLCHAIN,
                                        "-DCMAKE_BUILD_TYPE=MinSizeRel"};
    command.insert(command.end(), options.begin(), options.end());
    return command;
}

const PeResource* findResource(const std::vector<PeResource>& resources, std::string_view type,
                               std::string_view name) {
    for (const PeResource& resource : resources) {
        if (resource.type == type && resource.name == name) {
            return &resource;
        }
    }
    return nullptr;
}

size_t countOfType(const std::vector<PeResource>& resources, std::string_view type) {
    size_t count = 0;
    for (const PeResource& resource : resources) {
        count += resource.type == type ? 1 : 0;
    }
    return count;
}

// RT_ICON, RT_GROUP_ICON and RT_VERSION by number.
constexpr std::string_view kIcon = "#3", kIconGroup = "#14", kVersion = "#16";

// The identity every option gives, with quotes, a backslash, a semicolon and text
// outside ASCII (within and beyond the 16-bit range) where the resource script
// needs escaping or a code page.
const std::map<std::string, std::string> kStrings = {
    {"CompanyName", "Acme Société Générale"},
    {"FileDescription", "Acme \"Viewer\" for C:\\data"},
    {"FileVersion", "2.7.13.65535"},
    {"InternalName", "viewer"},
    {"LegalCopyright", "© 2026 Acme; \"all\" rights reserved \xF0\x9F\x93\x88"},
    {"OriginalFilename", "AcmeViewer.exe"},
    {"ProductName", "Acme Viewer"},
    {"ProductVersion", "2.7.0.0"},
};

class IdentityBuild : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<TestFolder>();
        images_ = {iconImage(16, 0xFF2060C0u), iconImage(32, 0xFFC06020u)};
        fs::path icon = folder_->write("acme.ico", icoFile(images_));
        build_ = folder_->path() / "build";
        std::vector<std::string> configure = configureCommand(
            build_,
            {"-DLAUNCHER_OUTPUT_NAME=Acme Viewer", "-DLAUNCHER_ICON=" + icon.string(),
             "-DLAUNCHER_FILE_VERSION=2.7.13.65535", "-DLAUNCHER_PRODUCT_VERSION=2.7.0.0",
             "-DLAUNCHER_FILE_DESCRIPTION=" + kStrings.at("FileDescription"),
             "-DLAUNCHER_PRODUCT_NAME=" + kStrings.at("ProductName"),
             "-DLAUNCHER_COMPANY_NAME=" + kStrings.at("CompanyName"),
             "-DLAUNCHER_LEGAL_COPYRIGHT=" + kStrings.at("LegalCopyright"),
             "-DLAUNCHER_INTERNAL_NAME=viewer", "-DLAUNCHER_ORIGINAL_FILENAME=AcmeViewer.exe"});
        ProcessResult configured = runProcess(configure, kBuildLimit);
        failure_ = configured.exitCode == 0
                       ? ""
                       : commandLine(configure) + " failed:\n" + tail(configured.output);
        if (failure_.empty()) {
            std::vector<std::string> build = {LAUNCHER_CMAKE, "--build",  build_.string(),
                                              "--target",     "launcher", "-j2"};
            ProcessResult built = runProcess(build, kBuildLimit);
            failure_ =
                built.exitCode == 0 ? "" : commandLine(build) + " failed:\n" + tail(built.output);
        }
    }
    static void TearDownTestSuite() { folder_.reset(); }

    void SetUp() override {
        ASSERT_EQ(failure_, "");
        fs::path executable = build_ / "Acme Viewer.exe";
        ASSERT_TRUE(fs::exists(executable)) << executable;
        try {
            resources_ = readPeResources(readFile(executable));
        } catch (const MalformedImage& fault) {
            FAIL() << executable << ": " << fault.what();
        }
    }

    static std::unique_ptr<TestFolder> folder_;
    static std::vector<IconImage> images_;
    static fs::path build_;
    static std::string failure_;
    std::vector<PeResource> resources_;
};

std::unique_ptr<TestFolder> IdentityBuild::folder_;
std::vector<IconImage> IdentityBuild::images_;
fs::path IdentityBuild::build_;
std::string IdentityBuild::failure_;

TEST_F(IdentityBuild, OutputNameNamesTheExecutable) {
    std::vector<std::string> executables;
    for (const fs::directory_entry& entry : fs::directory_iterator(build_)) {
        if (entry.path().extension() == ".exe") {
            executables.push_back(entry.path().filename().string());
        }
    }
    EXPECT_EQ(executables, std::vector<std::string>{"Acme Viewer.exe"});
}

TEST_F(IdentityBuild, FixedFileInfoHoldsBothVersions) {
    const PeResource* version = findResource(resources_, kVersion, "#1");
    ASSERT_NE(version, nullptr);
    VersionInfo info = readVersionInfo(version->data);
    EXPECT_EQ(dottedVersion(info.fileVersionMs, info.fileVersionLs), "2.7.13.65535");
    EXPECT_EQ(dottedVersion(info.productVersionMs, info.productVersionLs), "2.7.0.0");
    EXPECT_EQ(info.fileOs, 0x40004u); // VOS_NT_WINDOWS32
    EXPECT_EQ(info.fileType, 1u);     // VFT_APP
}

TEST_F(IdentityBuild, StringFileInfoHoldsEveryFieldAsGiven) {
    const PeResource* version = findResource(resources_, kVersion, "#1");
    ASSERT_NE(version, nullptr);
    VersionInfo info = readVersionInfo(version->data);
    EXPECT_EQ(info.stringTable, "040904B0");
    EXPECT_EQ(info.strings, kStrings);
}

TEST_F(IdentityBuild, IconGroupListsEveryImageOfTheIcoFile) {
    const PeResource* group = findResource(resources_, kIconGroup, "#1");
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(countOfType(resources_, kIconGroup), 1u);
    const std::string& bytes = group->data;
    ASSERT_EQ(bytes.size(), 6 + 14 * images_.size());
    std::string header;
    putWord(header, 0);
    putWord(header, 1);
    putWord(header, static_cast<uint32_t>(images_.size()));
    EXPECT_EQ(bytes.substr(0, 6), header);
    EXPECT_EQ(countOfType(resources_, kIcon), images_.size());
    for (size_t index = 0; index < images_.size(); ++index) {
        const IconImage& image = images_[index];
        std::string entry = bytes.substr(6 + 14 * index, 14);
        // GRPICONDIRENTRY: the ICONDIRENTRY with the image's RT_ICON number for
        // its file offset.
        std::string expected;
        expected.push_back(static_cast<char>(image.size));
        expected.push_back(static_cast<char>(image.size));
        expected.append(2, '\0');
        putWord(expected, 1);
        putWord(expected, 32);
        putDword(expected, static_cast<uint32_t>(image.bitmap.size()));
        EXPECT_EQ(entry.substr(0, 12), expected) << "entry " << index;
        uint32_t id = static_cast<unsigned char>(entry[12]) |
                      static_cast<uint32_t>(static_cast<unsigned char>(entry[13])) << 8;
        const PeResource* icon = findResource(resources_, kIcon, "#" + std::to_string(id));
        ASSERT_NE(icon, nullptr) << "RT_ICON " << id;
        EXPECT_TRUE(icon->data == image.bitmap)
            << "RT_ICON " << id << " differs from image " << index << " of the .ico file";
    }
}

// The main Windows build, configured without options: the executable keeps its
// name, carries no icon and the launcher's own version fields.
TEST(DefaultIdentity, LauncherCarriesNoIconAndItsOwnVersion) {
    fs::path executable = fs::path(LAUNCHER_WINDOWS_BUILD_DIR) / "launcher.exe";
    if (!fs::exists(executable)) {
        if (std::getenv("LAUNCHER_REQUIRE_WINDOWS") != nullptr) {
            FAIL() << "no " << executable;
        }
        GTEST_SKIP() << "no Windows build at " << LAUNCHER_WINDOWS_BUILD_DIR;
    }
    std::vector<PeResource> resources = readPeResources(readFile(executable));
    EXPECT_EQ(countOfType(resources, kIconGroup), 0u);
    EXPECT_EQ(countOfType(resources, kIcon), 0u);
    const PeResource* version = findResource(resources, kVersion, "#1");
    ASSERT_NE(version, nullptr);
    VersionInfo info = readVersionInfo(version->data);
    EXPECT_EQ(dottedVersion(info.fileVersionMs, info.fileVersionLs), "1.0.0.0");
    EXPECT_EQ(dottedVersion(info.productVersionMs, info.productVersionLs), "1.0.0.0");
    const std::map<std::string, std::string> expected = {
        {"FileDescription", "Java application launcher"},
        {"FileVersion", "1.0.0.0"},
        {"InternalName", "launcher"},
        {"OriginalFilename", "launcher.exe"},
        {"ProductName", "Java application launcher"},
        {"ProductVersion", "1.0.0.0"},
    };
    EXPECT_EQ(info.strings, expected);
}

// An option value the configuration must refuse, and what its message says.
struct RefusedOption {
    std::string name;
    std::string option;
    std::string message;
};

class RefusedOptions : public ::testing::TestWithParam<RefusedOption> {};

TEST_P(RefusedOptions, StopTheConfigurationWithAClearMessage) {
    TestFolder folder;
    folder.write("not-an-icon.ico", "GIF89a");
    std::string option = GetParam().option;
    const std::string placeholder = "@FOLDER@";
    if (size_t at = option.find(placeholder); at != std::string::npos) {
        option.replace(at, placeholder.size(), folder.path().string());
    }
    std::vector<std::string> configure = configureCommand(folder.path() / "build", {option});
    ProcessResult result = runProcess(configure, kBuildLimit);
    EXPECT_NE(result.exitCode, 0) << result.output;
    // CMake breaks long messages into lines; compare with the breaks as spaces.
    std::string output;
    for (char character : result.output) {
        if (character != '\n' || (!output.empty() && output.back() != ' ')) {
            output.push_back(character == '\n' ? ' ' : character);
        }
    }
    for (size_t at = output.find("  "); at != std::string::npos; at = output.find("  ")) {
        output.erase(at, 1);
    }
    EXPECT_NE(output.find(GetParam().message), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(folder.path() / "build" / "build.ninja"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefusedOptions,
    ::testing::Values(
        RefusedOption{"FileVersionOfThreeParts", "-DLAUNCHER_FILE_VERSION=1.2.3",
                      "LAUNCHER_FILE_VERSION is \"1.2.3\": a version is four dotted numbers"},
        RefusedOption{"FileVersionOfFiveParts", "-DLAUNCHER_FILE_VERSION=1.2.3.4.5",
                      "LAUNCHER_FILE_VERSION is \"1.2.3.4.5\": a version is four"},
        RefusedOption{"FileVersionWithALetter", "-DLAUNCHER_FILE_VERSION=1.2.x.4",
                      "LAUNCHER_FILE_VERSION is \"1.2.x.4\": a version is four"},
        RefusedOption{"FileVersionPartAbove65535", "-DLAUNCHER_FILE_VERSION=1.2.3.65536",
                      "65536 is above 65535, the largest part a Windows version holds"},
        RefusedOption{"ProductVersionWithLeadingZero", "-DLAUNCHER_PRODUCT_VERSION=01.2.3.4",
                      "LAUNCHER_PRODUCT_VERSION is \"01.2.3.4\": a version is four dotted "
                      "numbers of 0 to 65535 without leading zeros"},
        RefusedOption{"ProductVersionWithASuffix", "-DLAUNCHER_PRODUCT_VERSION=1.2.3.4-rc1",
                      "LAUNCHER_PRODUCT_VERSION is \"1.2.3.4-rc1\""},
        RefusedOption{"OutputNameWithAFolder", "-DLAUNCHER_OUTPUT_NAME=bin/app",
                      "LAUNCHER_OUTPUT_NAME is \"bin/app\""},
        RefusedOption{"OutputNameWithExe", "-DLAUNCHER_OUTPUT_NAME=app.exe",
                      "LAUNCHER_OUTPUT_NAME is \"app.exe\""},
        RefusedOption{"OutputNameWithAQuote", "-DLAUNCHER_OUTPUT_NAME=a\"b",
                      "LAUNCHER_OUTPUT_NAME is \"a\"b\""},
        RefusedOption{"CopyrightOfTwoLines", "-DLAUNCHER_LEGAL_COPYRIGHT=first line\nsecond line",
                      "LAUNCHER_LEGAL_COPYRIGHT holds a line break"},
        RefusedOption{"AbsentIcon", "-DLAUNCHER_ICON=@FOLDER@/absent.ico",
                      "/absent.ico, which is not a file"},
        RefusedOption{"IconThatIsNoIco", "-DLAUNCHER_ICON=@FOLDER@/not-an-icon.ico",
                      "/not-an-icon.ico, which is not an .ico file"}),
    [](const auto& row) { return row.param.name; });

// The edges of the range are versions too.
TEST(AcceptedOptions, SmallestAndLargestVersionsConfigure) {
    TestFolder folder;
    std::vector<std::string> configure = configureCommand(
        folder.path() / "build",
        {"-DLAUNCHER_FILE_VERSION=0.0.0.0", "-DLAUNCHER_PRODUCT_VERSION=65535.65535.65535.65535"});
    ProcessResult result = runProcess(configure, kBuildLimit);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::string script = readFile(folder.path() / "build" / "src" / "identity" / "launcher" /
                                  "launcher_identity.rc");
    EXPECT_NE(script.find("FILEVERSION 0, 0, 0, 0\n"), std::string::npos) << script;
    EXPECT_NE(script.find("PRODUCTVERSION 65535, 65535, 65535, 65535\n"), std::string::npos)
        << script;
}

} // namespace
} // namespace launcher::testing
