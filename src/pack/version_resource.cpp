// VS_VERSIONINFO: blocks of length, value length, type and key, each aligned to
// four bytes from the start of the resource.
#include "pack/version_resource.h"

#include "pack/bytes.h"

#include <charconv>

namespace launcher::pack {

namespace {

constexpr uint32_t kSignature = 0xFEEF04BD;
constexpr uint32_t kStructureVersion = 0x00010000;
constexpr uint32_t kFlagsMask = 0x3F;
constexpr uint32_t kWindowsNt32 = 0x00040004; // VOS_NT_WINDOWS32
constexpr uint32_t kApplication = 1;          // VFT_APP
constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;

void appendText(std::string& out, std::u16string_view text) {
    for (char16_t unit : text) {
        append16(out, static_cast<uint16_t>(unit));
    }
    append16(out, 0);
}

// One block: its header and key, its value, then its children, each aligned.
std::string block(std::u16string_view key, uint16_t type, std::string_view value,
                  uint16_t valueLength, const std::vector<std::string>& children) {
    std::string out(6, '\0');
    appendText(out, key);
    padTo(out, 4);
    out.append(value);
    for (const std::string& child : children) {
        padTo(out, 4);
        out.append(child);
    }
    writeLittleEndian(out, 0, out.size(), 2);
    writeLittleEndian(out, 2, valueLength, 2);
    writeLittleEndian(out, 4, type, 2);
    return out;
}

std::string fixedInformation(const VersionFields& fields) {
    auto high = [](const Version& v) {
        return uint32_t{v[0]} << 16 | v[1];
    };
    auto low = [](const Version& v) {
        return uint32_t{v[2]} << 16 | v[3];
    };
    std::string out;
    for (uint32_t value :
         {kSignature, kStructureVersion, high(fields.fileVersion), low(fields.fileVersion),
          high(fields.productVersion), low(fields.productVersion), kFlagsMask, 0u, kWindowsNt32,
          kApplication, 0u, 0u, 0u}) {
        append32(out, value);
    }
    return out;
}

} // namespace

std::optional<Version> parseVersion(std::string_view text) {
    Version version{};
    size_t part = 0;
    while (true) {
        size_t dot = text.find('.');
        std::string_view number = text.substr(0, dot);
        unsigned value = 0;
        auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
            value > 0xFFFF || (number.size() > 1 && number[0] == '0') || part == version.size()) {
            return std::nullopt;
        }
        version[part++] = static_cast<uint16_t>(value);
        if (dot == std::string_view::npos) {
            return version;
        }
        text.remove_prefix(dot + 1);
    }
}

std::string versionText(const Version& version) {
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
           std::to_string(version[2]) + "." + std::to_string(version[3]);
}

std::string versionResource(const VersionFields& fields) {
    std::vector<std::string> strings;
    for (const auto& [key, value] : fields.strings) {
        if (value.empty()) {
            continue;
        }
        std::string text;
        appendText(text, value);
        strings.push_back(block(key, kText, text, static_cast<uint16_t>(value.size() + 1), {}));
    }
    std::string table = block(u"040904B0", kText, {}, 0, strings);
    std::string translation;
    append32(translation, 0x04B00409); // US English, Unicode
    std::string var = block(u"Translation", kBinary, translation, 4, {});
    return block(u"VS_VERSION_INFO", kBinary, fixedInformation(fields), 52,
                 {block(u"StringFileInfo", kText, {}, 0, {table}),
                  block(u"VarFileInfo", kText, {}, 0, {var})});
}

} // namespace launcher::pack
