// The few header fields that tell whether an image file is built for 32-bit x86,
// read from bytes of the file without loading it or asking any system library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace launcher {

// Bytes at the start of a file that hold the DOS header of a PE image.
inline constexpr size_t kDosHeaderSize = 64;
// Bytes at the NT headers that hold the signature and the machine field.
inline constexpr size_t kPeSignatureAndMachineSize = 6;
// Bytes at the start of a file that hold the ELF identification and machine field.
inline constexpr size_t kElfIdentificationAndMachineSize = 20;

// The file offset of the NT headers named by a DOS header "MZ"; empty when the
// bytes are too few, are not a DOS header, or the offset is negative.
std::optional<uint64_t> peHeaderOffset(std::span<const std::byte> fileStart);

// Whether the bytes at the NT headers are the signature "PE\0\0" followed by the
// machine field of x86 (0x014C).
bool isX86PeHeader(std::span<const std::byte> ntHeaders);

// Whether the whole file is a PE image for x86; nothing outside the bytes is read.
bool isX86PeImage(std::span<const std::byte> file);

// Whether the start of a file is the header of a 32-bit ELF image for x86
// (ELFCLASS32 with EM_386, in the byte order the header declares).
bool isX86ElfImage(std::span<const std::byte> fileStart);

} // namespace launcher
