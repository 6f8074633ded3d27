// Files on Linux: open without blocking, pread, and rename into place.
#include "platform/file.h"

#include "platform/posix_handles.h"
#include "platform/posix_io.h"
#include "platform/text.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {

namespace {

FileKind kindOf(mode_t mode) {
    return S_ISREG(mode) ? FileKind::Regular : S_ISDIR(mode) ? FileKind::Folder : FileKind::Other;
}

int64_t nanoseconds(const struct timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// A link is followed, so the file it names is changed and the link stays. A
// link that leads nowhere gives nothing: writing there would replace the link.
bool resolvedPath(const std::string& path, std::string& resolved) {
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        resolved = path;
        return true;
    }
    char target[PATH_MAX];
    if (realpath(path.c_str(), target) == nullptr) {
        return false;
    }
    resolved = target;
    return true;
}

} // namespace

std::optional<File> File::open(const WideString& path, SystemError& error) {
    // O_NONBLOCK: a FIFO at the path must not hold the launcher until a writer comes.
    UniqueFileDescriptor descriptor(
        ::open(wideToNarrow(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat status {};
    if (!descriptor) {
        error = SystemError::last("open");
        return std::nullopt;
    }
    if (fstat(descriptor.get(), &status) != 0) {
        error = SystemError::last("fstat");
        return std::nullopt;
    }
    FileKind kind = kindOf(status.st_mode);
    uint64_t size = kind == FileKind::Regular ? static_cast<uint64_t>(status.st_size) : 0;
    return File(descriptor.release(), kind, size);
}

File::~File() {
    if (native_ >= 0) {
        ::close(static_cast<int>(native_));
    }
}

FileIdentity File::identity() const {
    struct stat status {};
    if (fstat(static_cast<int>(native_), &status) != 0) {
        return FileIdentity{};
    }
    return FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
                        static_cast<uint64_t>(status.st_size), nanoseconds(status.st_mtim),
                        nanoseconds(status.st_ctim)};
}

// pread rather than a mapping: a file cut short by another process while mapped
// would end this one with SIGBUS.
int64_t File::readSome(uint64_t offset, std::span<std::byte> out) const {
    if (kind_ == FileKind::Folder) {
        return -1;
    }
    for (;;) {
        ssize_t count =
            pread(static_cast<int>(native_), out.data(), out.size(), static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return count;
    }
}

bool readFileToReplace(const WideString& path, std::string& bytes) {
    std::string target;
    if (!resolvedPath(wideToNarrow(path), target)) {
        return false;
    }
    bytes.clear();
    struct stat status;
    if (stat(target.c_str(), &status) != 0) {
        return errno == ENOENT;
    }
    // Never replace what cannot be read back whole, nor a file its owner made read-only.
    return S_ISREG(status.st_mode) && (status.st_mode & 0222) != 0 &&
           access(target.c_str(), W_OK) == 0 && readWholeFile(fileNameToWide(target), bytes);
}

bool writeFileAtomically(const WideString& path, std::string_view bytes) {
    std::string target;
    if (!resolvedPath(wideToNarrow(path), target)) {
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = 0666 & ~mask;
    struct stat previous;
    bool replacing = stat(target.c_str(), &previous) == 0;
    if (replacing) {
        mode = previous.st_mode & 07777;
    }
    std::string temporary = target + ".XXXXXX";
    UniqueFileDescriptor file(mkstemp(temporary.data()));
    if (!file) {
        return false;
    }
    if (replacing) {
        // Keeps the owner when the process may; otherwise the new file is ours.
        [[maybe_unused]] int ignored = fchown(file.get(), previous.st_uid, previous.st_gid);
    }
    bool written = fchmod(file.get(), mode) == 0 && writeAll(file.get(), bytes) &&
                   fsync(file.get()) == 0;
    file.reset();
    if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace launcher::platform
