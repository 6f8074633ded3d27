// The bounds-checked reader of PE and ELF headers behind the x86 check, and the
// checks of a library file before the system loader sees it.
#include "jre/image_check.h"

#include "jre/jvm_library.h"
#include "platform/dynamic_library.h"
#include "platform/file.h"

#include <algorithm>
#include <array>

namespace launcher {

namespace {

constexpr uint16_t kMachineX86 = 0x014C;
constexpr size_t kDosHeaderOffsetField = 0x3C;

constexpr unsigned char kElfClass32 = 1;
constexpr unsigned char kElfDataLittleEndian = 1;
constexpr unsigned char kElfDataBigEndian = 2;
constexpr uint16_t kElfMachine386 = 3;

unsigned char byteAt(std::span<const std::byte> bytes, size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

uint16_t littleEndian16(std::span<const std::byte> bytes, size_t at) {
    return static_cast<uint16_t>(byteAt(bytes, at) | (byteAt(bytes, at + 1) << 8));
}

uint16_t bigEndian16(std::span<const std::byte> bytes, size_t at) {
    return static_cast<uint16_t>((byteAt(bytes, at) << 8) | byteAt(bytes, at + 1));
}

uint32_t littleEndian32(std::span<const std::byte> bytes, size_t at) {
    uint32_t value = 0;
    for (size_t index = 4; index-- > 0;) {
        value = (value << 8) | byteAt(bytes, at + index);
    }
    return value;
}

uint64_t littleEndian64(std::span<const std::byte> bytes, size_t at) {
    return littleEndian32(bytes, at) | (static_cast<uint64_t>(littleEndian32(bytes, at + 4)) << 32);
}

// Whether offset + length stays within the size, without overflow.
bool within(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

} // namespace

bool elfSegmentsWithinFile(const ImageReader& read, uint64_t fileSize) {
    std::array<std::byte, 64> header{};
    std::span<std::byte> identification(header.data(), 6);
    if (!read(0, identification) || byteAt(identification, 0) != 0x7F ||
        byteAt(identification, 1) != 'E' || byteAt(identification, 2) != 'L' ||
        byteAt(identification, 3) != 'F') {
        return true; // no ELF image: the loader refuses it with its own reason
    }
    if (byteAt(identification, 5) != kElfDataLittleEndian) {
        return true;
    }
    const bool wide = byteAt(identification, 4) != kElfClass32; // ELFCLASS64
    std::span<std::byte> whole(header.data(), wide ? 64 : 52);
    if (!read(0, whole)) {
        return false;
    }
    uint64_t tableOffset = wide ? littleEndian64(whole, 32) : littleEndian32(whole, 28);
    uint16_t entrySize = littleEndian16(whole, wide ? 54 : 42);
    uint16_t entries = littleEndian16(whole, wide ? 56 : 44);
    const size_t needed = wide ? 56 : 32;
    if (entries == 0) {
        return true;
    }
    if (entrySize < needed || !within(tableOffset, uint64_t{entrySize} * entries, fileSize)) {
        return false;
    }
    constexpr uint32_t kLoadSegment = 1; // PT_LOAD
    std::array<std::byte, 56> entry{};
    std::span<std::byte> fields(entry.data(), needed);
    for (uint16_t index = 0; index < entries; ++index) {
        if (!read(tableOffset + uint64_t{entrySize} * index, fields)) {
            return false;
        }
        if (littleEndian32(fields, 0) != kLoadSegment) {
            continue;
        }
        uint64_t offset = wide ? littleEndian64(fields, 8) : littleEndian32(fields, 4);
        uint64_t length = wide ? littleEndian64(fields, 32) : littleEndian32(fields, 16);
        if (!within(offset, length, fileSize)) {
            return false;
        }
    }
    return true;
}

bool peSectionsWithinFile(const ImageReader& read, uint64_t fileSize) {
    std::array<std::byte, kDosHeaderSize> dos{};
    std::span<std::byte> magic(dos.data(), 2);
    if (!read(0, magic) || byteAt(magic, 0) != 'M' || byteAt(magic, 1) != 'Z') {
        return true; // no PE image: the loader refuses it with its own reason
    }
    std::optional<uint64_t> ntOffset;
    if (!read(0, dos) || !(ntOffset = peHeaderOffset(dos))) {
        return false;
    }
    // Signature (4 bytes) and file header (20): machine, section count, ..., size
    // of the optional header at 16.
    std::array<std::byte, 24> nt{};
    if (!read(*ntOffset, nt) || byteAt(nt, 0) != 'P' || byteAt(nt, 1) != 'E' ||
        byteAt(nt, 2) != 0 || byteAt(nt, 3) != 0) {
        return false;
    }
    uint16_t sections = littleEndian16(nt, 6);
    uint16_t optionalHeaderSize = littleEndian16(nt, 20);
    constexpr uint64_t kSectionHeaderSize = 40;
    uint64_t table = *ntOffset + nt.size() + optionalHeaderSize;
    if (!within(table, kSectionHeaderSize * sections, fileSize)) {
        return false;
    }
    std::array<std::byte, kSectionHeaderSize> section{};
    for (uint16_t index = 0; index < sections; ++index) {
        if (!read(table + kSectionHeaderSize * index, section)) {
            return false;
        }
        uint32_t rawSize = littleEndian32(section, 16);
        uint32_t rawOffset = littleEndian32(section, 20);
        if (rawSize != 0 && !within(rawOffset, rawSize, fileSize)) {
            return false;
        }
    }
    return true;
}

std::optional<uint64_t> peHeaderOffset(std::span<const std::byte> fileStart) {
    if (fileStart.size() < kDosHeaderSize || byteAt(fileStart, 0) != 'M' ||
        byteAt(fileStart, 1) != 'Z') {
        return std::nullopt;
    }
    // The field is a signed LONG: an offset with the top bit set points before the file.
    auto offset = static_cast<int32_t>(littleEndian32(fileStart, kDosHeaderOffsetField));
    if (offset < 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(offset);
}

bool isX86PeHeader(std::span<const std::byte> ntHeaders) {
    return ntHeaders.size() >= kPeSignatureAndMachineSize && byteAt(ntHeaders, 0) == 'P' &&
           byteAt(ntHeaders, 1) == 'E' && byteAt(ntHeaders, 2) == 0 && byteAt(ntHeaders, 3) == 0 &&
           littleEndian16(ntHeaders, 4) == kMachineX86;
}

bool isX86PeImage(std::span<const std::byte> file) {
    std::optional<uint64_t> offset =
        peHeaderOffset(file.first(std::min(file.size(), kDosHeaderSize)));
    if (!offset || *offset > file.size() || file.size() - *offset < kPeSignatureAndMachineSize) {
        return false;
    }
    return isX86PeHeader(file.subspan(static_cast<size_t>(*offset), kPeSignatureAndMachineSize));
}

bool isX86ElfImage(std::span<const std::byte> fileStart) {
    if (fileStart.size() < kElfIdentificationAndMachineSize || byteAt(fileStart, 0) != 0x7F ||
        byteAt(fileStart, 1) != 'E' || byteAt(fileStart, 2) != 'L' || byteAt(fileStart, 3) != 'F' ||
        byteAt(fileStart, 4) != kElfClass32) {
        return false;
    }
    constexpr size_t kMachineField = 18;
    switch (byteAt(fileStart, 5)) {
    case kElfDataLittleEndian:
        return littleEndian16(fileStart, kMachineField) == kElfMachine386;
    case kElfDataBigEndian:
        return bigEndian16(fileStart, kMachineField) == kElfMachine386;
    default:
        return false;
    }
}

// A 64-bit launcher can load neither a 32-bit PE nor (on a system whose loader
// reads ELF) a 32-bit ELF library, so both count as x86 images. The headers are read here rather than through
// Dbghelp's ImageNtHeader: that library would be found by the DLL search of an
// elevated process, so a copy planted beside the launcher would run with
// administrator rights.
bool isX86Library(const WideString& path) {
    platform::SystemError error;
    std::optional<platform::File> file = platform::File::open(path, error);
    if (!file || file->kind() != platform::FileKind::Regular || file->size() == 0) {
        return false;
    }
    std::array<std::byte, kDosHeaderSize> start{};
    std::span<std::byte> head(start.data(),
                              static_cast<size_t>(std::min<uint64_t>(file->size(), start.size())));
    if (!file->readAt(0, head)) {
        return false;
    }
    if (platform::kElfLoader && isX86ElfImage(head)) {
        return true;
    }
    std::optional<uint64_t> offset = peHeaderOffset(head);
    std::array<std::byte, kPeSignatureAndMachineSize> ntHeaders{};
    return offset && file->readAt(*offset, ntHeaders) && isX86PeHeader(ntHeaders);
}

// Opening never waits: a FIFO at the path is refused here before the loader
// would open it waiting for a writer.
uint32_t unloadableLibraryFileCode(const WideString& path) {
    platform::SystemError error;
    std::optional<platform::File> file = platform::File::open(path, error);
    if (!file) {
        return 0; // missing or unreadable: the loader says why
    }
    switch (file->kind()) {
    case platform::FileKind::Folder:
        return platform::kFolderNotAnImageError;
    case platform::FileKind::Other:
        return platform::kNotAnImageError;
    case platform::FileKind::Regular:
        break;
    }
    // The format the loader reads is checked; a file of another format is left to
    // the loader, which refuses it with its own reason.
    ImageReader read = [&file](uint64_t offset, std::span<std::byte> out) {
        return file->readAt(offset, out);
    };
    bool whole = platform::kElfLoader ? elfSegmentsWithinFile(read, file->size())
                                      : peSectionsWithinFile(read, file->size());
    return whole ? 0 : platform::kNotAnImageError;
}

} // namespace launcher
