// An .ico file's images, and the icon group that lists them as resources.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::pack {

struct IconImage {
    uint8_t width = 0, height = 0, colors = 0, reserved = 0;
    uint16_t planes = 0, bitCount = 0;
    std::string bytes; // the image as the RT_ICON resource holds it
};

// Throws PackError when the bytes are no .ico file: the header (0, type 1, at
// least one image) and every image inside the file.
std::vector<IconImage> readIconFile(std::string_view bytes);

// The RT_GROUP_ICON data for images stored as RT_ICON `firstId`, `firstId` + 1, ...
std::string iconGroup(const std::vector<IconImage>& images, uint16_t firstId);

} // namespace launcher::pack
