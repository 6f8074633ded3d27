// Reads the resources of a Windows executable from its bytes, on any system: the
// resource tree of the PE image and the VS_VERSIONINFO block, as the tests of a
// built launcher need them.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::testing {

// A fault in the bytes read: the image or block is cut short or malformed.
struct MalformedImage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One leaf of the resource tree. Type and name are UTF-8, "#n" for a number, as
// FindResource spells them.
struct PeResource {
    std::string type;
    std::string name;
    uint16_t language = 0;
    std::string data;
};

// Every resource of the PE image `image`, in the tree's order.
std::vector<PeResource> readPeResources(std::string_view image);

struct VersionInfo {
    uint32_t fileVersionMs = 0, fileVersionLs = 0;
    uint32_t productVersionMs = 0, productVersionLs = 0;
    uint32_t fileOs = 0, fileType = 0;
    std::string stringTable; // the language and code page, such as "040904B0"
    std::map<std::string, std::string> strings;
};

// The fixed file information and the first string table of a VS_VERSIONINFO block.
VersionInfo readVersionInfo(std::string_view block);

// The four parts of a version kept as two double words, dotted.
std::string dottedVersion(uint32_t mostSignificant, uint32_t leastSignificant);

} // namespace launcher::testing
