// The resource section as a list of resources (type, name, language, data), read
// from its bytes and written again in the layout the loader walks.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::pack {

// A type or name: a number, or a text (which sorts before every number).
struct ResourceName {
    std::u16string text;
    uint16_t id = 0;
    static ResourceName number(uint16_t id) { return {{}, id}; }
    friend bool operator==(const ResourceName&, const ResourceName&) = default;
};

struct Resource {
    ResourceName type;
    ResourceName name;
    uint16_t language = 0;
    std::string data;
    uint32_t codePage = 0;
};

inline constexpr uint16_t kIconType = 3;
inline constexpr uint16_t kGroupIconType = 14;
inline constexpr uint16_t kVersionType = 16;
inline constexpr uint16_t kManifestType = 24;

// Every resource of a section that lies at `sectionRva` in memory; throws
// PackError when the tree is malformed.
std::vector<Resource> readResources(std::string_view section, uint32_t sectionRva);
// The section for `sectionRva`: directories with their named entries first (in
// the order the loader's search expects), then numbers ascending.
std::string writeResources(const std::vector<Resource>& resources, uint32_t sectionRva);

} // namespace launcher::pack
