// The version resource Explorer's properties show: VS_VERSIONINFO with the fixed
// file information and one US English, Unicode string table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace launcher::pack {

using Version = std::array<uint16_t, 4>;

// One to four dotted numbers of 0 to 65535 without leading zeros ("2.7" is
// 2.7.0.0); nothing otherwise.
std::optional<Version> parseVersion(std::string_view text);
std::string versionText(const Version& version);

struct VersionFields {
    Version fileVersion{};
    Version productVersion{};
    // Key and value, in the order they are stored; empty values are left out.
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

std::string versionResource(const VersionFields& fields);

} // namespace launcher::pack
