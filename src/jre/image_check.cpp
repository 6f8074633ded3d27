// The bounds-checked reader of PE and ELF headers behind the x86 check.
#include "jre/image_check.h"

#include <algorithm>

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

} // namespace

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

} // namespace launcher
