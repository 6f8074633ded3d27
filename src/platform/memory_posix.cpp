// Linux memory figures: sysinfo and the free part of the address space.
#include "platform/memory.h"

#include "platform/file.h"

#include <string>
#include <unistd.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>

namespace launcher::platform {

namespace {

// The highest user address of x86-64 with four-level paging, which the kernel keeps
// as the default mmap limit even on five-level machines: the same 128 TiB that a
// 64-bit Windows process has as its user address space.
constexpr uint64_t kUserAddressSpace = (uint64_t{1} << 47) - 4096;

// What the process can address at all: the address-space limit when one is set.
uint64_t addressSpaceLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < kUserAddressSpace) {
        return limit.rlim_cur;
    }
    return kUserAddressSpace;
}

// Bytes of address space the process has mapped (VmSize), from the first field of
// /proc/self/statm, in pages; 0 when it cannot be read.
uint64_t mappedBytes() {
    SystemError error;
    std::optional<File> file = File::open(u"/proc/self/statm", error);
    // A file of the proc file system tells no size: it is read as far as it goes.
    std::string text = file ? file->readPrefix(128) : std::string();
    uint64_t pages = 0;
    for (size_t at = 0; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        pages = pages * 10 + static_cast<uint64_t>(text[at] - '0');
    }
    long pageSize = sysconf(_SC_PAGESIZE);
    return pageSize > 0 ? pages * static_cast<uint64_t>(pageSize) : 0;
}

} // namespace

// The available virtual figure follows GlobalMemoryStatus: the user address space
// the process may use, less what is already reserved or mapped in it.
MemoryFigures readMemoryFigures() {
    MemoryFigures figures;
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
        figures.totalPhysicalBytes = static_cast<uint64_t>(info.totalram) * info.mem_unit;
    }
    uint64_t limit = addressSpaceLimit();
    uint64_t mapped = mappedBytes();
    figures.availableVirtualBytes = mapped < limit ? limit - mapped : 0;
    return figures;
}

} // namespace launcher::platform
