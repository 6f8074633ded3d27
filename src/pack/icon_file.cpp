// ICONDIR and its entries; the group's entries are the same with a resource id
// in place of the file offset.
#include "pack/icon_file.h"

#include "pack/bytes.h"
#include "pack/pack_error.h"

namespace launcher::pack {

namespace {

constexpr const char* kIcon = "the icon file";
constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;

} // namespace

std::vector<IconImage> readIconFile(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || read16(bytes, 0, kIcon) != 0 ||
        read16(bytes, 2, kIcon) != 1 || read16(bytes, 4, kIcon) == 0) {
        throw PackError("the icon is not an .ico file");
    }
    std::vector<IconImage> images;
    uint16_t count = read16(bytes, 4, kIcon);
    for (uint16_t i = 0; i < count; ++i) {
        size_t entry = kHeaderSize + kEntrySize * i;
        IconImage image;
        image.width = static_cast<uint8_t>(readLittleEndian(bytes, entry, 1, kIcon));
        image.height = static_cast<uint8_t>(readLittleEndian(bytes, entry + 1, 1, kIcon));
        image.colors = static_cast<uint8_t>(readLittleEndian(bytes, entry + 2, 1, kIcon));
        image.reserved = static_cast<uint8_t>(readLittleEndian(bytes, entry + 3, 1, kIcon));
        image.planes = read16(bytes, entry + 4, kIcon);
        image.bitCount = read16(bytes, entry + 6, kIcon);
        uint32_t size = read32(bytes, entry + 8, kIcon);
        uint32_t offset = read32(bytes, entry + 12, kIcon);
        if (size == 0 || offset > bytes.size() || size > bytes.size() - offset) {
            throw PackError("the icon is not an .ico file (an image lies outside it)");
        }
        image.bytes = std::string(bytes.substr(offset, size));
        images.push_back(std::move(image));
    }
    return images;
}

std::string iconGroup(const std::vector<IconImage>& images, uint16_t firstId) {
    std::string out;
    append16(out, 0);
    append16(out, 1);
    append16(out, static_cast<uint16_t>(images.size()));
    uint16_t id = firstId;
    for (const IconImage& image : images) {
        out += static_cast<char>(image.width);
        out += static_cast<char>(image.height);
        out += static_cast<char>(image.colors);
        out += static_cast<char>(image.reserved);
        append16(out, image.planes);
        append16(out, image.bitCount);
        append32(out, static_cast<uint32_t>(image.bytes.size()));
        append16(out, id++);
    }
    return out;
}

} // namespace launcher::pack
