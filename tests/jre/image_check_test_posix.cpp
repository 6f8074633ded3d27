// The x86 check on ELF files.
#include "jre/jvm_library.h"
#include "support/image_bytes.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>

namespace launcher {
namespace {

using testing::TestFolder;
using testing::toU16;

using testing::elfHeader;
using testing::putLittleEndian;

// A 64-bit launcher can load a 32-bit ELF library no more than a 32-bit DLL.
TEST(X86Library, ElfFilesAreCheckedToo) {
    TestFolder folder;
    EXPECT_TRUE(isX86Library(WideString(toU16(folder.write("libjvm32.so", elfHeader(1, 3))))));
    EXPECT_FALSE(isX86Library(WideString(toU16(folder.write("libjvm64.so", elfHeader(2, 62))))));
    EXPECT_FALSE(isX86Library(WideString(toU16(folder.write("libarm.so", elfHeader(1, 40))))));
    EXPECT_FALSE(
        isX86Library(WideString(toU16(folder.write("short.so", elfHeader(1, 3).substr(0, 19))))));
    EXPECT_FALSE(isX86Library(u"/proc/self/exe")); // this 64-bit test program
}

// Opening a FIFO for reading waits for a writer unless told not to.
TEST(X86Library, FifoGivesFalseWithoutWaiting) {
    TestFolder folder;
    auto fifo = folder.path() / "libjvm.so";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(isX86Library(WideString(toU16(fifo))));
}

// What is no plain file is refused before the loader would open it (and, for a
// FIFO, wait for a writer for ever); a folder too.
TEST(UnloadableLibraryFile, FifosAndFoldersAreRefusedWithoutWaiting) {
    TestFolder folder;
    auto fifo = folder.path() / "libjvm.so";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(unloadableLibraryFileCode(WideString(toU16(fifo))), static_cast<uint32_t>(ENOEXEC));
    EXPECT_EQ(unloadableLibraryFileCode(WideString(toU16(folder.path()))),
              static_cast<uint32_t>(EISDIR));
    EXPECT_EQ(unloadableLibraryFileCode(u"/dev/null"), static_cast<uint32_t>(ENOEXEC));
    // Left to the loader: a missing file, a file that is no ELF image.
    EXPECT_EQ(unloadableLibraryFileCode(WideString(toU16(folder.path() / "missing.so"))), 0u);
    EXPECT_EQ(unloadableLibraryFileCode(WideString(toU16(folder.write("text.so", "text\n")))), 0u);
}

// The program header table and each PT_LOAD segment's file part must lie inside.
TEST(UnloadableLibraryFile, ElfHeadersThatReachBeyondTheFile) {
    TestFolder folder;
    std::string header = elfHeader(2, 62);
    // One PT_LOAD entry right after the header, covering [0, fileSize) of 4096 bytes.
    auto image = [&](uint64_t segmentOffset, uint64_t segmentFileSize, uint16_t entries) {
        std::string bytes = header;
        putLittleEndian(bytes, 32, 64, 8); // e_phoff
        putLittleEndian(bytes, 54, 56, 2); // e_phentsize
        putLittleEndian(bytes, 56, entries, 2);
        std::string entry(56, '\0');
        entry[0] = 1; // PT_LOAD
        putLittleEndian(entry, 8, segmentOffset, 8);
        putLittleEndian(entry, 32, segmentFileSize, 8);
        bytes += entry;
        bytes.resize(4096, '\0');
        return bytes;
    };
    struct {
        const char* name;
        std::string bytes;
        uint32_t expected;
    } cases[] = {
        {"segment inside", image(0, 4096, 1), 0},
        {"segment one byte beyond", image(0, 4097, 1), static_cast<uint32_t>(ENOEXEC)},
        {"segment offset beyond", image(8192, 16, 1), static_cast<uint32_t>(ENOEXEC)},
        {"offset + size overflowing", image(16, UINT64_MAX, 1), static_cast<uint32_t>(ENOEXEC)},
        {"program header table beyond", image(0, 16, 1000), static_cast<uint32_t>(ENOEXEC)},
        {"header alone, cut short", header.substr(0, 40), static_cast<uint32_t>(ENOEXEC)},
    };
    for (const auto& c : cases) {
        WideString path(toU16(folder.write("libjvm.so", c.bytes)));
        EXPECT_EQ(unloadableLibraryFileCode(path), c.expected) << c.name;
    }
}

} // namespace
} // namespace launcher
