// The x86 check on ELF files.
#include "jre/jvm_library.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace launcher {
namespace {

using testing::TestFolder;
using testing::toU16;

std::string elfHeader(unsigned char elfClass, uint16_t machine) {
    std::string bytes(elfClass == 2 ? 64 : 52, '\0');
    bytes.replace(0, 4,
                  "\x7F"
                  "ELF");
    bytes[4] = static_cast<char>(elfClass);
    bytes[5] = 1; // little-endian
    bytes[6] = 1;
    bytes[16] = 3;
    bytes[18] = static_cast<char>(machine & 0xFF);
    bytes[19] = static_cast<char>(machine >> 8);
    return bytes;
}

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

} // namespace
} // namespace launcher
