// The bytes of hand-made PE and ELF headers.
#include "support/image_bytes.h"

#include <algorithm>

namespace launcher::testing {

void putLittleEndian(std::string& bytes, size_t at, uint64_t value, size_t width) {
    if (bytes.size() < at + width) {
        bytes.resize(at + width, '\0');
    }
    for (size_t index = 0; index < width; ++index) {
        bytes[at + index] = static_cast<char>((value >> (8 * index)) & 0xFF);
    }
}

std::string peImage(uint16_t machine, uint32_t ntOffset, size_t size) {
    std::string bytes(64, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    putLittleEndian(bytes, 0x3C, ntOffset, 4);
    // An offset far out stands for a hostile header: nothing is written there.
    if (ntOffset < (1u << 20)) {
        bytes.resize(std::max<size_t>(bytes.size(), ntOffset + 24), '\0');
        bytes.replace(ntOffset, 4, std::string("PE\0\0", 4));
        putLittleEndian(bytes, ntOffset + 4, machine, 2);
    }
    bytes.resize(size, '\0');
    return bytes;
}

std::string elfHeader(unsigned char elfClass, uint16_t machine, unsigned char byteOrder) {
    std::string bytes(elfClass == 2 ? 64 : 52, '\0');
    bytes.replace(0, 4,
                  "\x7F"
                  "ELF");
    bytes[4] = static_cast<char>(elfClass);
    bytes[5] = static_cast<char>(byteOrder);
    bytes[6] = 1;  // EV_CURRENT
    bytes[16] = 3; // ET_DYN
    if (byteOrder == 2) {
        bytes[18] = static_cast<char>(machine >> 8);
        bytes[19] = static_cast<char>(machine & 0xFF);
    } else {
        putLittleEndian(bytes, 18, machine, 2);
    }
    return bytes;
}

} // namespace launcher::testing
