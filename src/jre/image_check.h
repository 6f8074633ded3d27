// The few header fields that tell whether an image file is built for 32-bit x86,
// read from bytes of the file without loading it or asking any system library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Reads exactly out.size() bytes at the offset of a file, false when they are not
// all inside it.
using ImageReader = std::function<bool(uint64_t offset, std::span<std::byte> out)>;

// Whether a file of `fileSize` bytes that starts with the ELF identification holds
// its program header table and every PT_LOAD segment's file part (p_offset +
// p_filesz), which the loader maps: a file cut short would end the process with
// SIGBUS when a page beyond its end is touched. Little-endian images of either
// class are checked; a file that is not ELF, or big-endian, is left to the loader.
bool elfSegmentsWithinFile(const ImageReader& read, uint64_t fileSize);

// The same for a PE image: the headers and the raw data of every section lie
// inside the file. A file without "MZ" is left to the loader.
bool peSectionsWithinFile(const ImageReader& read, uint64_t fileSize);

} // namespace launcher
