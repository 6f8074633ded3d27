// The x86 check on Linux: the headers read with pread.
#include "jre/image_check.h"
#include "jre/jvm_library.h"
#include "platform/posix_handles.h"
#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace launcher {

namespace {

// Reads exactly out.size() bytes at the offset, or nothing when they are not all
// inside the file. pread rather than a mapping: a file cut short by another
// process while mapped would end this one with SIGBUS.
bool readAt(int descriptor, uint64_t fileSize, uint64_t offset, std::span<std::byte> out) {
    if (offset > fileSize || out.size() > fileSize - offset) {
        return false;
    }
    size_t done = 0;
    while (done < out.size()) {
        ssize_t count = pread(descriptor, out.data() + done, out.size() - done,
                              static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

} // namespace

// A 64-bit launcher can load neither a 32-bit PE nor a 32-bit ELF library, so
// both count as x86 images here.
bool isX86Library(const WideString& path) {
    // Without O_NONBLOCK a FIFO at the path would hold the launcher until a writer came.
    platform::UniqueFileDescriptor file(
        open(platform::wideToNarrow(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file) {
        return false;
    }
    struct stat status {};
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
        return false;
    }
    auto size = static_cast<uint64_t>(status.st_size);

    std::array<std::byte, kDosHeaderSize> start{};
    std::span<std::byte> head(start.data(),
                              static_cast<size_t>(std::min<uint64_t>(size, start.size())));
    if (!readAt(file.get(), size, 0, head)) {
        return false;
    }
    if (isX86ElfImage(head)) {
        return true;
    }
    std::optional<uint64_t> offset = peHeaderOffset(head);
    std::array<std::byte, kPeSignatureAndMachineSize> ntHeaders{};
    return offset && readAt(file.get(), size, *offset, ntHeaders) && isX86PeHeader(ntHeaders);
}

uint32_t unloadableLibraryFileCode(const WideString& path) {
    // O_NONBLOCK: a FIFO at the path must not hold the launcher until a writer
    // comes; it is then refused here before the loader would open it waiting.
    platform::UniqueFileDescriptor file(
        open(platform::wideToNarrow(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file) {
        return 0; // missing or unreadable: the loader says why
    }
    struct stat status {};
    if (fstat(file.get(), &status) != 0) {
        return static_cast<uint32_t>(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return S_ISDIR(status.st_mode) ? EISDIR : ENOEXEC;
    }
    auto size = static_cast<uint64_t>(status.st_size);
    int descriptor = file.get();
    bool whole = elfSegmentsWithinFile(
        [&](uint64_t offset, std::span<std::byte> out) {
            return readAt(descriptor, size, offset, out);
        },
        size);
    return whole ? 0 : ENOEXEC;
}

} // namespace launcher
