// The Linux memory figures against the kernel's own numbers.
#include "platform/memory.h"
#include "platform/posix_handles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace launcher::platform {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;

// The kernel's own account of the machine's memory, "MemTotal: N kB".
uint64_t memTotalBytes() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes >> unit) {
        if (key == "MemTotal:") {
            return kilobytes * 1024;
        }
    }
    return 0;
}

TEST(ReadMemoryFigures, PhysicalMemoryIsTheKernelsMemTotal) {
    uint64_t expected = memTotalBytes();
    ASSERT_NE(expected, 0u);
    EXPECT_EQ(readMemoryFigures().totalPhysicalBytes, expected);
}

// Bytes of address space mapped by this process, as the kernel counts them.
uint64_t mappedBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    statm >> pages;
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

// Address space mapped by the process, even unused, is no longer available.
TEST(ReadMemoryFigures, MappingAddressSpaceMakesLessAvailable) {
    uint64_t before = readMemoryFigures().availableVirtualBytes;
    void* block =
        mmap(nullptr, kGiB, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    uint64_t during = readMemoryFigures().availableVirtualBytes;
    munmap(block, kGiB);
    EXPECT_GT(before, during);
    uint64_t drop = before - during;
    EXPECT_GE(drop, kGiB - 64 * kMiB);
    EXPECT_LE(drop, kGiB + 64 * kMiB);
}

// With an address-space limit the figure is what is left below the limit. The
// limit is set in a child so that this process keeps its own.
TEST(ReadMemoryFigures, AddressSpaceLimitBoundsTheAvailableFigure) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        uint64_t mapped = mappedBytes();
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(mapped + kGiB);
        if (setrlimit(RLIMIT_AS, &limit) != 0) {
            _exit(2);
        }
        uint64_t limited = readMemoryFigures().availableVirtualBytes;
        _exit(mapped != 0 && limited <= kGiB && limited >= kGiB - 64 * kMiB ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: figure outside the limit, 2: limit not set";
}

} // namespace
} // namespace launcher::platform
