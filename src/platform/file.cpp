// The reads every system does alike over the system's own open and read.
#include "platform/file.h"

#include <utility>

namespace launcher::platform {

namespace {

constexpr intptr_t kNoFile = -1;

} // namespace

File::File(File&& other) noexcept
    : native_(std::exchange(other.native_, kNoFile)), kind_(other.kind_), size_(other.size_) {}

File& File::operator=(File&& other) noexcept {
    File taken(std::move(other));
    std::swap(native_, taken.native_);
    std::swap(kind_, taken.kind_);
    std::swap(size_, taken.size_);
    return *this;
}

bool File::readAt(uint64_t offset, std::span<std::byte> out) const {
    if (offset > size_ || out.size() > size_ - offset) {
        return false;
    }
    size_t done = 0;
    while (done < out.size()) {
        int64_t count = readSome(offset + done, out.subspan(done));
        if (count <= 0) {
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

std::string File::readPrefix(size_t limit) const {
    std::string bytes(limit, '\0');
    size_t filled = 0;
    while (filled < limit) {
        auto* start = reinterpret_cast<std::byte*>(bytes.data() + filled);
        int64_t count = readSome(filled, std::span<std::byte>(start, limit - filled));
        if (count <= 0) {
            break;
        }
        filled += static_cast<size_t>(count);
    }
    bytes.resize(filled);
    return bytes;
}

// Read straight into a buffer of the file's size: one copy of a large file.
bool File::readAll(std::string& bytes) const {
    bytes.assign(static_cast<size_t>(size_) + 1, '\0');
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            bytes.resize(bytes.size() + 65536); // the file grew while being read
        }
        auto* start = reinterpret_cast<std::byte*>(bytes.data() + filled);
        int64_t count = readSome(filled, std::span<std::byte>(start, bytes.size() - filled));
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            bytes.resize(filled);
            return true;
        }
        filled += static_cast<size_t>(count);
    }
}

bool readWholeFile(const WideString& path, std::string& bytes) {
    SystemError error;
    std::optional<File> file = File::open(path, error);
    return file && file->kind() == FileKind::Regular && file->readAll(bytes);
}

std::optional<FileIdentity> fileIdentity(const WideString& path) {
    SystemError error;
    std::optional<File> file = File::open(path, error);
    if (!file) {
        return std::nullopt;
    }
    return file->identity();
}

bool sameFile(const WideString& first, const WideString& second) {
    std::optional<FileIdentity> one = fileIdentity(first);
    std::optional<FileIdentity> other = fileIdentity(second);
    return one && other && one->device == other->device && one->index == other->index;
}

} // namespace launcher::platform
