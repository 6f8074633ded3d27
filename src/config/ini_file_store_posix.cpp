// The INI file store on Linux, over IniDocument, with safe in-place writes.
#include "config/ini_document.h"
#include "config/ini_store.h"

#include "platform/posix_handles.h"
#include "platform/text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher {

namespace {

// The whole file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes) {
    // Without blocking on a pipe or a device that merely carries the name.
    platform::UniqueFileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status;
    if (!file || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    bytes.clear();
    char chunk[65536];
    for (;;) {
        ssize_t got = read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(chunk, static_cast<size_t>(got));
    }
}

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Writes a new file beside the target and renames it into place, so that the
// old content stays whole until the new one is complete.
bool replaceFile(const std::string& path, std::string_view bytes, mode_t mode,
                 const struct stat* previous) {
    std::string temporary = path + ".XXXXXX";
    platform::UniqueFileDescriptor file(mkstemp(temporary.data()));
    if (!file) {
        return false;
    }
    if (previous != nullptr) {
        // Keeps the owner when the process may; otherwise the new file is ours.
        [[maybe_unused]] int ignored = fchown(file.get(), previous->st_uid, previous->st_gid);
    }
    bool written =
        fchmod(file.get(), mode) == 0 && writeAll(file.get(), bytes) && fsync(file.get()) == 0;
    file.reset();
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
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

IniDocument loadDocument(const WideString& path) {
    std::string bytes;
    readWholeFile(platform::wideToNarrow(path), bytes);
    return IniDocument::parse(bytes);
}

} // namespace

const IniDocument& IniFileStore::document() {
    if (!document_) {
        document_ = std::make_shared<const IniDocument>(loadDocument(path_));
    }
    return *document_;
}

uint32_t IniFileStore::probe(unsigned char (&firstBytes)[4]) {
    platform::UniqueFileDescriptor file(
        open(platform::wideToNarrow(path_).c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        return static_cast<uint32_t>(errno);
    }
    if (read(file.get(), firstBytes, sizeof firstBytes) < 0) {
        return static_cast<uint32_t>(errno);
    }
    return 0;
}

WideString IniFileStore::getValue(std::u16string_view section, std::u16string_view key) {
    WideString value;
    document().getValue(section, key, value);
    return value;
}

void IniFileStore::getSectionNames(WideStringList& names) {
    names = document().sectionNames();
}

bool IniFileStore::setValue(std::u16string_view section, std::u16string_view key,
                            std::u16string_view value) {
    std::string path;
    if (!resolvedPath(platform::wideToNarrow(path_), path)) {
        return false;
    }
    std::string bytes;
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = 0666 & ~mask;
    struct stat status;
    bool exists = stat(path.c_str(), &status) == 0;
    if (exists) {
        // Never replace what cannot be read back whole, nor a file its owner
        // made read-only.
        if (!S_ISREG(status.st_mode) || (status.st_mode & 0222) == 0 ||
            access(path.c_str(), W_OK) != 0 || !readWholeFile(path, bytes)) {
            return false;
        }
        mode = status.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }
    document_.reset(); // what this store read before no longer stands
    IniDocument document = IniDocument::parse(bytes);
    if (!document.setValue(section, key, value)) {
        return false;
    }
    return replaceFile(path, document.serialize(), mode, exists ? &status : nullptr);
}

bool IniFileStore::remove() {
    return unlink(platform::wideToNarrow(path_).c_str()) == 0;
}

} // namespace launcher
