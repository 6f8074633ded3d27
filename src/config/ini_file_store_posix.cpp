#include "config/ini_document.h"
#include "config/ini_store.h"

#include "platform/posix_handles.h"

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

// The whole file, or nullopt-like false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes) {
    platform::UniqueFileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
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
bool replaceFile(const std::string& path, std::string_view bytes, mode_t mode) {
    std::string temporary = path + ".XXXXXX";
    platform::UniqueFileDescriptor file(mkstemp(temporary.data()));
    if (!file) {
        return false;
    }
    bool written = fchmod(file.get(), mode) == 0 && writeAll(file.get(), bytes) &&
                   fsync(file.get()) == 0;
    file.reset();
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

// A link is followed, so the file it names is changed and the link stays.
std::string resolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

IniDocument loadDocument(const WideString& path) {
    std::string bytes;
    readWholeFile(path.toNarrow(), bytes);
    return IniDocument::parse(bytes);
}

} // namespace

uint32_t IniFileStore::probe(unsigned char (&firstBytes)[4]) {
    platform::UniqueFileDescriptor file(open(path_.toNarrow().c_str(), O_RDONLY | O_CLOEXEC));
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
    loadDocument(path_).getValue(section, key, value);
    return value;
}

void IniFileStore::getSectionNames(WideStringList& names) { names = loadDocument(path_).sectionNames(); }

bool IniFileStore::setValue(std::u16string_view section, std::u16string_view key,
                            std::u16string_view value) {
    std::string path = resolvedPath(path_.toNarrow());
    std::string bytes;
    mode_t mode = 0666 & ~[] { mode_t mask = umask(0); umask(mask); return mask; }();
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode) || !readWholeFile(path, bytes)) {
            return false; // never replace what cannot be read back whole
        }
        mode = status.st_mode & 07777;
    }
    IniDocument document = IniDocument::parse(bytes);
    return document.setValue(section, key, value) && replaceFile(path, document.serialize(), mode);
}

bool IniFileStore::remove() { return unlink(path_.toNarrow().c_str()) == 0; }

} // namespace launcher
