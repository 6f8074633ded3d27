// Reading files without waiting on what merely carries a file's name, knowing a
// file again by the identity the system keeps, and replacing a file whole.
#pragma once

#include "base/wide_string.h"
#include "platform/system_error.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace launcher::platform {

enum class FileKind { Regular, Folder, Other };

// What tells one version of a file from another without reading it: the volume
// and the file's number on it, its size, and the times of its last change of
// content and of its last change at all (which no unpacker or copy can set).
struct FileIdentity {
    uint64_t device = 0;
    uint64_t index = 0;
    uint64_t size = 0;
    int64_t modified = 0; // in the system's own unit
    int64_t changed = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// An entry opened for reading. Opening never waits for a writer of a pipe or a
// device at the name, and shares the file with other readers and writers.
class File {
  public:
    // Nothing, with `error` set, when the entry cannot be opened.
    static std::optional<File> open(const WideString& path, SystemError& error);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    FileKind kind() const noexcept { return kind_; }
    // The size of a regular file when it was opened; 0 for other kinds.
    uint64_t size() const noexcept { return size_; }
    FileIdentity identity() const;

    // Exactly out.size() bytes at the offset; false when they are not all inside
    // the file as it was opened, or cannot be read.
    bool readAt(uint64_t offset, std::span<std::byte> out) const;
    // At most `limit` bytes from the start; fewer at the end of the file.
    std::string readPrefix(size_t limit) const;
    // Everything, also what was added since the file was opened; false on a read error.
    bool readAll(std::string& bytes) const;

  private:
    File(intptr_t native, FileKind kind, uint64_t size) noexcept
        : native_(native), kind_(kind), size_(size) {}
    // Up to out.size() bytes at the offset; 0 at the end, -1 on an error.
    int64_t readSome(uint64_t offset, std::span<std::byte> out) const;

    intptr_t native_;
    FileKind kind_;
    uint64_t size_;
};

// The whole content of a regular file; false when it is missing, no regular file
// or cannot be read.
bool readWholeFile(const WideString& path, std::string& bytes);
// The identity of the entry at the path; nothing when it cannot be opened.
std::optional<FileIdentity> fileIdentity(const WideString& path);
// Whether both paths name one existing file, however each is spelled (case,
// separators, relative parts, links).
bool sameFile(const WideString& first, const WideString& second);

// The content of a file about to be replaced, empty when there is none yet. False
// when it may not be replaced: no regular file, made read-only by its owner, not
// writable by this process, or unreadable. A link is followed (the file it names
// is the one replaced, and the link stays); one that leads nowhere is refused.
bool readFileToReplace(const WideString& path, std::string& bytes);
// Writes the bytes to a new file beside the path and renames it into place, so
// that the old content stays whole until the new one is complete. A file that is
// replaced keeps its permissions (and its owner, where this process may give it).
bool writeFileAtomically(const WideString& path, std::string_view bytes);

} // namespace launcher::platform
