// The INI file store on Linux, over IniDocument, with safe in-place writes.
#include "config/ini_document.h"
#include "config/ini_store.h"

#include "platform/posix_handles.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
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
    // Read straight into a buffer of the file's size: one copy of a large file.
    bytes.resize(static_cast<size_t>(status.st_size) + 1);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            bytes.resize(bytes.size() + 65536); // the file grew while being read
        }
        ssize_t got = read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            bytes.resize(filled);
            return true;
        }
        filled += static_cast<size_t>(got);
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

// The documents read in this process, by path: each file is read and parsed once
// per launch however many stores read it. An entry stands while the file's
// identity (device, inode, size, change and modification times) is the one seen
// when it was read; a file changed within the last two seconds of that reading
// might have changed again within one timestamp tick, so for it the bytes are
// read again and compared by hash before the parse is reused.
struct CachedDocument {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    struct timespec modified {};
    struct timespec changed {};
    bool settled = false;
    size_t hash = 0;
    std::shared_ptr<const IniDocument> document;
};

std::map<std::string, CachedDocument>& documentCache() {
    static std::map<std::string, CachedDocument> cache;
    return cache;
}

bool sameIdentity(const CachedDocument& cached, const struct stat& status) {
    auto same = [](const struct timespec& a, const struct timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    return cached.device == status.st_dev && cached.inode == status.st_ino &&
           cached.size == status.st_size && same(cached.modified, status.st_mtim) &&
           same(cached.changed, status.st_ctim);
}

std::shared_ptr<const IniDocument> loadDocument(const WideString& path) {
    std::string name = platform::wideToNarrow(path);
    struct stat status {};
    bool known = stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    auto& cache = documentCache();
    auto found = cache.find(name);
    if (known && found != cache.end() && found->second.settled &&
        sameIdentity(found->second, status)) {
        return found->second.document;
    }
    std::string bytes;
    readWholeFile(name, bytes);
    size_t hash = std::hash<std::string_view>{}(bytes);
    if (known && found != cache.end() && found->second.hash == hash &&
        found->second.document != nullptr) {
        CachedDocument& entry = found->second;
        entry.device = status.st_dev;
        entry.inode = status.st_ino;
        entry.size = status.st_size;
        entry.modified = status.st_mtim;
        entry.changed = status.st_ctim;
        return entry.document;
    }
    auto document = std::make_shared<const IniDocument>(IniDocument::parseForReading(bytes));
    bytes = std::string(); // the bytes go before the next file is read
    if (!known) {
        cache.erase(name);
        return document;
    }
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    CachedDocument entry;
    entry.device = status.st_dev;
    entry.inode = status.st_ino;
    entry.size = status.st_size;
    entry.modified = status.st_mtim;
    entry.changed = status.st_ctim;
    entry.settled = std::max(status.st_mtim.tv_sec, status.st_ctim.tv_sec) + 2 < now.tv_sec;
    entry.hash = hash;
    entry.document = document;
    cache[name] = std::move(entry);
    return document;
}

void forgetDocument(const WideString& path) {
    documentCache().erase(platform::wideToNarrow(path));
}

} // namespace

const IniDocument& IniFileStore::document() {
    if (!document_) {
        document_ = loadDocument(path_);
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
    forgetDocument(path_);
    IniDocument document = IniDocument::parse(bytes);
    if (!document.setValue(section, key, value)) {
        return false;
    }
    return replaceFile(path, document.serialize(), mode, exists ? &status : nullptr);
}

bool IniFileStore::remove() {
    document_.reset();
    forgetDocument(path_);
    return unlink(platform::wideToNarrow(path_).c_str()) == 0;
}

} // namespace launcher
