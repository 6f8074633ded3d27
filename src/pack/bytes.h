// Little-endian fields of binary formats, read and written inside a byte string;
// a read beyond the end is a malformed input, never undefined behaviour.
#pragma once

#include "pack/pack_error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace launcher::pack {

inline uint64_t readLittleEndian(std::string_view bytes, size_t at, size_t width,
                                 const char* what) {
    if (at > bytes.size() || width > bytes.size() - at) {
        throw PackError(std::string(what) + " is cut short");
    }
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        value |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    }
    return value;
}

inline uint16_t read16(std::string_view bytes, size_t at, const char* what) {
    return static_cast<uint16_t>(readLittleEndian(bytes, at, 2, what));
}
inline uint32_t read32(std::string_view bytes, size_t at, const char* what) {
    return static_cast<uint32_t>(readLittleEndian(bytes, at, 4, what));
}

// Writes over bytes that exist, or appends at the end.
inline void writeLittleEndian(std::string& bytes, size_t at, uint64_t value, size_t width) {
    if (bytes.size() < at + width) {
        bytes.resize(at + width, '\0');
    }
    for (size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}
inline void append16(std::string& bytes, uint16_t value) {
    writeLittleEndian(bytes, bytes.size(), value, 2);
}
inline void append32(std::string& bytes, uint32_t value) {
    writeLittleEndian(bytes, bytes.size(), value, 4);
}
inline void padTo(std::string& bytes, size_t alignment) {
    bytes.resize((bytes.size() + alignment - 1) / alignment * alignment, '\0');
}

} // namespace launcher::pack
