// The layouts are those of the PE/COFF format: IMAGE_RESOURCE_DIRECTORY and its
// entries, and the length-prefixed nodes of VS_VERSIONINFO.
#include "support/pe_resources.h"

#include <algorithm>
#include <utility>

namespace launcher::testing {
namespace {

uint32_t readLittleEndian(std::string_view bytes, size_t offset, size_t size) {
    if (offset > bytes.size() || size > bytes.size() - offset) {
        throw MalformedImage("read of " + std::to_string(size) + " bytes at " +
                             std::to_string(offset) + " beyond " + std::to_string(bytes.size()));
    }
    uint32_t value = 0;
    for (size_t index = 0; index < size; ++index) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + index]))
                 << (8 * index);
    }
    return value;
}

uint16_t word(std::string_view bytes, size_t offset) {
    return static_cast<uint16_t>(readLittleEndian(bytes, offset, 2));
}

uint32_t dword(std::string_view bytes, size_t offset) {
    return readLittleEndian(bytes, offset, 4);
}

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// `count` UTF-16 units at `offset` as UTF-8; a lone surrogate is a fault, so that
// a mangled string cannot pass for another.
std::string utf8FromUtf16(std::string_view bytes, size_t offset, size_t count) {
    std::string out;
    for (size_t index = 0; index < count; ++index) {
        uint32_t unit = word(bytes, offset + 2 * index);
        if (unit >= 0xD800 && unit < 0xDC00 && index + 1 < count) {
            uint32_t low = word(bytes, offset + 2 * (index + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++index;
                continue;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000) {
            throw MalformedImage("lone surrogate in a string");
        }
        appendUtf8(out, unit);
    }
    return out;
}

// The units before the terminating zero, from `offset` and not past `end`.
size_t terminatedLength(std::string_view bytes, size_t offset, size_t end) {
    size_t count = 0;
    while (offset + 2 * count + 2 <= end && word(bytes, offset + 2 * count) != 0) {
        ++count;
    }
    if (offset + 2 * count + 2 > end) {
        throw MalformedImage("string without its terminating zero");
    }
    return count;
}

size_t alignedToDword(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

struct Section {
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

class ResourceTree {
  public:
    ResourceTree(std::string_view image, std::vector<Section> sections, uint32_t rootRva)
        : image_(image), sections_(std::move(sections)), root_(fileOffset(rootRva)) {}

    void read(std::vector<PeResource>& out) {
        PeResource path;
        walk(0, 0, path, out);
    }

  private:
    size_t fileOffset(uint32_t rva) const {
        for (const Section& section : sections_) {
            uint32_t size = std::max(section.virtualSize, section.rawSize);
            if (rva >= section.virtualAddress && rva - section.virtualAddress < size) {
                uint32_t into = rva - section.virtualAddress;
                if (into >= section.rawSize) {
                    throw MalformedImage("address " + std::to_string(rva) + " has no file bytes");
                }
                return size_t{section.rawOffset} + into;
            }
        }
        throw MalformedImage("address " + std::to_string(rva) + " in no section");
    }

    // The entry's name or "#id". Names are stored relative to the tree's root.
    std::string entryName(uint32_t nameField) const {
        if ((nameField & 0x80000000u) == 0) {
            return "#" + std::to_string(nameField & 0xFFFF);
        }
        size_t at = root_ + (nameField & 0x7FFFFFFFu);
        return utf8FromUtf16(image_, at + 2, word(image_, at));
    }

    void walk(size_t directory, int depth, PeResource& path, std::vector<PeResource>& out) {
        if (depth > 2) {
            throw MalformedImage("resource tree deeper than type, name and language");
        }
        size_t at = root_ + directory;
        size_t entries = size_t{word(image_, at + 12)} + word(image_, at + 14);
        for (size_t index = 0; index < entries; ++index) {
            size_t entry = at + 16 + 8 * index;
            uint32_t nameField = dword(image_, entry);
            uint32_t target = dword(image_, entry + 4);
            if (depth == 0) {
                path.type = entryName(nameField);
            } else if (depth == 1) {
                path.name = entryName(nameField);
            } else {
                path.language = static_cast<uint16_t>(nameField & 0xFFFF);
            }
            bool subdirectory = (target & 0x80000000u) != 0;
            if (subdirectory != (depth < 2)) {
                throw MalformedImage("resource tree with a leaf above or a folder below the "
                                     "language level");
            }
            if (subdirectory) {
                walk(target & 0x7FFFFFFFu, depth + 1, path, out);
                continue;
            }
            size_t leaf = root_ + target;
            size_t data = fileOffset(dword(image_, leaf));
            uint32_t size = dword(image_, leaf + 4);
            if (data > image_.size() || size > image_.size() - data) {
                throw MalformedImage("resource data beyond the image");
            }
            PeResource found = path;
            found.data.assign(image_.substr(data, size));
            out.push_back(std::move(found));
        }
    }

    std::string_view image_;
    std::vector<Section> sections_;
    size_t root_;
};

struct VersionNode {
    std::string key;
    size_t valueOffset = 0, valueSize = 0;
    std::vector<VersionNode> children;
};

// One node of the block: wLength, wValueLength, wType, the key, its value and
// the children, each starting on a double word.
VersionNode readVersionNode(std::string_view block, size_t offset, size_t limit) {
    size_t length = word(block, offset);
    if (length < 6 || offset + length > limit) {
        throw MalformedImage("version node at " + std::to_string(offset) + " of length " +
                             std::to_string(length) + " past its parent");
    }
    size_t end = offset + length;
    size_t valueLength = word(block, offset + 2);
    uint16_t type = word(block, offset + 4);
    VersionNode node;
    size_t keyLength = terminatedLength(block, offset + 6, end);
    node.key = utf8FromUtf16(block, offset + 6, keyLength);
    node.valueOffset = alignedToDword(offset + 6 + 2 * keyLength + 2);
    // A text value's length counts UTF-16 units, a binary one's bytes.
    node.valueSize = type == 1 ? 2 * valueLength : valueLength;
    if (node.valueOffset + node.valueSize > end) {
        throw MalformedImage("value of " + node.key + " past its node");
    }
    for (size_t child = alignedToDword(node.valueOffset + node.valueSize); child < end;) {
        node.children.push_back(readVersionNode(block, child, end));
        child = alignedToDword(child + word(block, child));
    }
    return node;
}

} // namespace

std::vector<PeResource> readPeResources(std::string_view image) {
    if (word(image, 0) != 0x5A4D) {
        throw MalformedImage("no MZ header");
    }
    size_t pe = dword(image, 0x3C);
    if (dword(image, pe) != 0x00004550) {
        throw MalformedImage("no PE signature");
    }
    size_t coff = pe + 4;
    size_t sectionCount = word(image, coff + 2);
    size_t optionalSize = word(image, coff + 16);
    size_t optional = coff + 20;
    // The data directories follow 96 bytes of PE32 fields or 112 of PE32+.
    uint16_t magic = word(image, optional);
    size_t directories = magic == 0x20B ? optional + 112 : magic == 0x10B ? optional + 96 : 0;
    if (directories == 0) {
        throw MalformedImage("unknown optional header " + std::to_string(magic));
    }
    if (dword(image, directories - 4) < 3) {
        return {};
    }
    uint32_t resourceRva = dword(image, directories + 2 * 8);
    if (resourceRva == 0) {
        return {};
    }
    std::vector<Section> sections;
    for (size_t index = 0; index < sectionCount; ++index) {
        size_t header = optional + optionalSize + 40 * index;
        sections.push_back({dword(image, header + 12), dword(image, header + 8),
                            dword(image, header + 16), dword(image, header + 20)});
    }
    std::vector<PeResource> resources;
    ResourceTree(image, std::move(sections), resourceRva).read(resources);
    return resources;
}

VersionInfo readVersionInfo(std::string_view block) {
    VersionNode root = readVersionNode(block, 0, block.size());
    if (root.key != "VS_VERSION_INFO" || root.valueSize != 52) {
        throw MalformedImage("no VS_VERSION_INFO with a VS_FIXEDFILEINFO, key " + root.key);
    }
    size_t fixed = root.valueOffset;
    if (dword(block, fixed) != 0xFEEF04BDu) {
        throw MalformedImage("VS_FIXEDFILEINFO without its signature");
    }
    VersionInfo info;
    info.fileVersionMs = dword(block, fixed + 8);
    info.fileVersionLs = dword(block, fixed + 12);
    info.productVersionMs = dword(block, fixed + 16);
    info.productVersionLs = dword(block, fixed + 20);
    info.fileOs = dword(block, fixed + 32);
    info.fileType = dword(block, fixed + 36);
    for (const VersionNode& child : root.children) {
        if (child.key != "StringFileInfo" || child.children.empty()) {
            continue;
        }
        const VersionNode& table = child.children.front();
        info.stringTable = table.key;
        for (const VersionNode& entry : table.children) {
            // The value ends at its terminating zero, which the length may or may
            // not count.
            size_t units = entry.valueSize == 0
                               ? 0
                               : terminatedLength(block, entry.valueOffset,
                                                  entry.valueOffset + entry.valueSize + 2);
            info.strings[entry.key] = utf8FromUtf16(block, entry.valueOffset, units);
        }
    }
    return info;
}

std::string dottedVersion(uint32_t mostSignificant, uint32_t leastSignificant) {
    return std::to_string(mostSignificant >> 16) + "." + std::to_string(mostSignificant & 0xFFFF) +
           "." + std::to_string(leastSignificant >> 16) + "." +
           std::to_string(leastSignificant & 0xFFFF);
}

} // namespace launcher::testing
