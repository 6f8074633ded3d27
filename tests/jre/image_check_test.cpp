// The x86 check on built and hand-made images, hostile ones included.
#include "jre/image_check.h"
#include "jre/jvm_library.h"
#include "platform/module_path.h"
#include "support/image_bytes.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace launcher {
namespace {

using testing::TestFolder;
using testing::toU16;

using testing::elfHeader;
using testing::peImage;
using testing::putLittleEndian;

constexpr uint16_t kX86 = testing::kPeMachineX86;
constexpr uint16_t kX64 = testing::kPeMachineX64;
constexpr uint16_t kArm = 0x01C4;

std::span<const std::byte> asBytes(const std::string& bytes) {
    return std::as_bytes(std::span(bytes.data(), bytes.size()));
}

struct ImageCase {
    const char* name;
    std::string bytes;
    bool x86;
};

// PE images in every shape the header reader must survive; hostile ones first of all.
std::vector<ImageCase> peCases() {
    // The NT headers may lie inside the DOS header, as long as they end before e_lfanew.
    std::string overlapping = peImage(kX86, 0x30, 0x40);
    std::string pointsAtItself = peImage(kX86);
    putLittleEndian(pointsAtItself, 0x3C, 0, 4);
    std::string wrongSignature = peImage(kX86);
    wrongSignature[0x83] = 1;
    std::string swappedMagic = peImage(kX86);
    std::swap(swappedMagic[0], swappedMagic[1]);
    return {
        {"x86 image", peImage(kX86), true},
        {"x86-64 image", peImage(kX64), false},
        {"ARM image", peImage(kArm), false},
        {"machine field is the last two bytes", peImage(kX86, 0x80, 0x86), true},
        {"machine field cut by the end", peImage(kX86, 0x80, 0x85), false},
        {"file ends after the signature", peImage(kX86, 0x80, 0x84), false},
        {"e_lfanew is the file size", peImage(kX86, 0x200, 0x200), false},
        {"e_lfanew past the end", peImage(kX86, 0x1000, 0x200), false},
        {"e_lfanew negative", peImage(kX86, 0xFFFFFFFF, 0x200), false},
        {"e_lfanew most negative", peImage(kX86, 0x80000000, 0x200), false},
        {"e_lfanew largest positive", peImage(kX86, 0x7FFFFFFF, 0x200), false},
        {"e_lfanew zero points at MZ", pointsAtItself, false},
        {"NT headers inside the DOS header", overlapping, true},
        {"DOS header one byte short", peImage(kX86, 0x80, 63), false},
        {"only MZ", "MZ", false},
        {"empty", "", false},
        {"swapped magic", swappedMagic, false},
        {"signature PE\\0\\1", wrongSignature, false},
        {"text",
         "MZ is how this text begins, and it goes on for long enough to fill a DOS "
         "header with letters, but it is no image at all.\r\n",
         false},
        {"64-bit ELF", elfHeader(2, 62, 1), false},
    };
}

TEST(PeImage, ReadsOnlyTheHeaderFieldsInsideTheBytes) {
    for (const ImageCase& c : peCases()) {
        // A copy of exactly the case's size, so that AddressSanitizer sees any read past it.
        std::vector<std::byte> exact(asBytes(c.bytes).begin(), asBytes(c.bytes).end());
        EXPECT_EQ(isX86PeImage(exact), c.x86) << c.name;
    }
}

TEST(PeImage, HeaderOffsetIsTheSignedFieldAt0x3C) {
    struct OffsetCase {
        std::string bytes;
        std::optional<uint64_t> offset;
    } cases[] = {
        {peImage(kX86, 0x80), 0x80},
        {peImage(kX86, 0x7FFFFFFF), 0x7FFFFFFF},
        {peImage(kX86, 0x80000000), std::nullopt},
        {peImage(kX86, 0x80, 63), std::nullopt},
        {std::string(64, 'M'), std::nullopt},
    };
    for (const OffsetCase& c : cases) {
        EXPECT_EQ(peHeaderOffset(asBytes(c.bytes)), c.offset);
    }
}

TEST(PeImage, SignatureAndMachineMustBothBeThere) {
    EXPECT_TRUE(isX86PeHeader(asBytes(std::string("PE\0\0\x4C\x01", 6))));
    EXPECT_FALSE(isX86PeHeader(asBytes(std::string("PE\0\0\x4C", 5))));
    EXPECT_FALSE(isX86PeHeader(asBytes(std::string("PE\0\0\x64\x86", 6))));
    EXPECT_FALSE(isX86PeHeader(asBytes(std::string("pe\0\0\x4C\x01", 6))));
}

std::vector<ImageCase> elfCases() {
    std::string truncated = elfHeader(1, 3, 1).substr(0, 19);
    std::string badMagic = elfHeader(1, 3, 1);
    badMagic[1] = 'e';
    return {
        {"32-bit x86", elfHeader(1, 3, 1), true},
        {"32-bit x86 declared big-endian", elfHeader(1, 3, 2), true},
        {"32-bit x86 machine in the wrong byte order", elfHeader(1, 0x0300, 2), false},
        {"64-bit x86-64", elfHeader(2, 62, 1), false},
        {"64-bit claiming EM_386", elfHeader(2, 3, 1), false},
        {"32-bit ARM", elfHeader(1, 40, 1), false},
        {"no byte order", elfHeader(1, 3, 0), false},
        {"cut before the machine field ends", truncated, false},
        {"bad magic", badMagic, false},
        {"x86 PE", peImage(kX86), false},
        {"empty", "", false},
    };
}

TEST(ElfImage, ThirtyTwoBitX86IsTheOnlyMatch) {
    for (const ImageCase& c : elfCases()) {
        std::vector<std::byte> exact(asBytes(c.bytes).begin(), asBytes(c.bytes).end());
        EXPECT_EQ(isX86ElfImage(exact), c.x86) << c.name;
    }
}

// The same PE images as files: what the file reader hands over must be the file.
TEST(X86Library, HandMadePeFiles) {
    TestFolder folder;
    int index = 0;
    for (const ImageCase& c : peCases()) {
        auto path = folder.write("image" + std::to_string(index++) + ".dll", c.bytes);
        EXPECT_EQ(isX86Library(WideString(toU16(path))), c.x86) << c.name;
    }
}

TEST(X86Library, RealImagesOfBothMachines) {
    EXPECT_TRUE(isX86Library(LAUNCHER_TEST_PE_IMAGE_X86));
    EXPECT_FALSE(isX86Library(LAUNCHER_TEST_PE_IMAGE_X64));
    // A library of this build: a 64-bit PE on Windows, a 64-bit ELF elsewhere.
    EXPECT_FALSE(isX86Library(LAUNCHER_TEST_JNI_COMPLETE));
}

TEST(X86Library, TheRunningTestExecutableIsNoX86Image) {
    WideString self;
    platform::SystemError error;
    ASSERT_TRUE(platform::queryExecutablePath(self, error)) << error.code;
    EXPECT_FALSE(isX86Library(self));
}

TEST(X86Library, NothingToReadGivesFalse) {
    TestFolder folder;
    folder.write("empty.dll", "");
    folder.write("readme.txt", "Just a few words of text.\n");
    std::filesystem::create_directories(folder.path() / "folder.dll");
    for (const char* name : {"empty.dll", "readme.txt", "folder.dll", "missing.dll"}) {
        EXPECT_FALSE(isX86Library(WideString(toU16(folder.path() / name)))) << name;
    }
    EXPECT_FALSE(isX86Library(u""));
}

} // namespace
} // namespace launcher
