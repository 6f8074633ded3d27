// Hand-made executable images: just the headers a loader or an image check reads
// first, for files that must look like a library of some machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace launcher::testing {

inline constexpr uint16_t kPeMachineX86 = 0x014C;
inline constexpr uint16_t kPeMachineX64 = 0x8664;
inline constexpr uint16_t kElfMachineX86 = 3; // EM_386

// Writes the `width` low bytes of `value` at `at`, growing `bytes` with zeros.
void putLittleEndian(std::string& bytes, size_t at, uint64_t value, size_t width);

// A DOS header whose e_lfanew is `ntOffset`, "PE\0\0" and the machine field at
// that offset, then cut (or padded with zeros) to `size` bytes.
std::string peImage(uint16_t machine, uint32_t ntOffset = 0x80, size_t size = 0x200);

// The ELF identification of a shared object and its header up to e_machine,
// padded to the size of a whole 32-bit (class 1, 52 bytes) or 64-bit (class 2,
// 64 bytes) header; byte order 1 is little-endian, 2 big-endian.
std::string elfHeader(unsigned char elfClass, uint16_t machine, unsigned char byteOrder = 1);

} // namespace launcher::testing
