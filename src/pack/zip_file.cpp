// The end-of-central-directory record, the central directory, local headers.
#include "pack/zip_file.h"

#include "pack/bytes.h"
#include "pack/pack_error.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace launcher::pack {

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr uint16_t kUtf8Names = 0x0800;
constexpr uint16_t kVersion = 20;
constexpr uint32_t kLargest = 0xFFFFFFFF;

std::array<uint32_t, 256> crcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

struct Entry {
    std::string name;
    uint32_t crc = 0, size = 0, offset = 0;
};

std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        throw PackError("cannot read " + file.string(), false);
    }
    return bytes;
}

void appendHeaderFields(std::string& out, const Entry& entry) {
    append16(out, kUtf8Names);
    append16(out, 0);    // stored
    append16(out, 0);    // time
    append16(out, 0x21); // 1980-01-01
    append32(out, entry.crc);
    append32(out, entry.size);
    append32(out, entry.size);
    append16(out, static_cast<uint16_t>(entry.name.size()));
    append16(out, 0);
}

} // namespace

uint32_t crc32(std::string_view bytes, uint32_t crc) {
    static const std::array<uint32_t, 256> table = crcTable();
    crc = ~crc;
    for (unsigned char byte : bytes) {
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

std::vector<std::string> zipEntryNames(std::string_view bytes) {
    constexpr const char* kZip = "the jar";
    size_t end = bytes.size() < kEndSize ? std::string_view::npos : bytes.size() - kEndSize;
    // The record ends the file, after a comment of at most 65535 bytes.
    while (end != std::string_view::npos && read32(bytes, end, kZip) != kEndSignature) {
        end = end == 0 || bytes.size() - end > kEndSize + 0xFFFF ? std::string_view::npos : end - 1;
    }
    if (end == std::string_view::npos) {
        throw PackError("is no jar (zip) file");
    }
    uint16_t count = read16(bytes, end + 10, kZip);
    size_t at = read32(bytes, end + 16, kZip);
    std::vector<std::string> names;
    for (uint16_t i = 0; i < count; ++i) {
        if (read32(bytes, at, kZip) != kCentralSignature) {
            throw PackError("is no jar (zip) file: its central directory is broken");
        }
        uint16_t nameLength = read16(bytes, at + 28, kZip);
        uint16_t extra = read16(bytes, at + 30, kZip);
        uint16_t comment = read16(bytes, at + 32, kZip);
        if (at + kCentralSize + nameLength > bytes.size()) {
            throw PackError("is no jar (zip) file: its central directory is cut short");
        }
        names.emplace_back(bytes.substr(at + kCentralSize, nameLength));
        at += kCentralSize + nameLength + extra + comment;
    }
    return names;
}

void writeFolderZip(const std::filesystem::path& folder, const std::filesystem::path& zip) {
    std::ofstream out(zip, std::ios::binary | std::ios::trunc);
    std::vector<Entry> entries;
    uint64_t written = 0;
    auto put = [&](const std::string& bytes) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        written += bytes.size();
    };
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        if (item.is_regular_file()) {
            files.push_back(item.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        std::string content = readWhole(file);
        if (content.size() >= kLargest || written >= kLargest) {
            throw PackError("the zip file would be 4 GB or more", false);
        }
        std::u8string name =
            (folder.filename() / file.lexically_relative(folder)).generic_u8string();
        Entry entry{std::string(reinterpret_cast<const char*>(name.data()), name.size()),
                    crc32(content), static_cast<uint32_t>(content.size()),
                    static_cast<uint32_t>(written)};
        std::string header;
        append32(header, kLocalSignature);
        append16(header, kVersion);
        appendHeaderFields(header, entry);
        header += entry.name;
        put(header);
        put(content);
        entries.push_back(std::move(entry));
    }
    uint64_t directory = written;
    for (const Entry& entry : entries) {
        std::string header;
        append32(header, kCentralSignature);
        append16(header, kVersion);
        append16(header, kVersion);
        appendHeaderFields(header, entry);
        append16(header, 0); // comment
        append16(header, 0); // disk
        append16(header, 0); // internal attributes
        append32(header, 0); // external attributes
        append32(header, entry.offset);
        header += entry.name;
        put(header);
    }
    std::string end;
    append32(end, kEndSignature);
    append32(end, 0);
    append16(end, static_cast<uint16_t>(entries.size()));
    append16(end, static_cast<uint16_t>(entries.size()));
    append32(end, static_cast<uint32_t>(written - directory));
    append32(end, static_cast<uint32_t>(directory));
    append16(end, 0);
    put(end);
    out.close();
    if (!out || entries.size() > 0xFFFF) {
        throw PackError("cannot write " + zip.string(), false);
    }
}

} // namespace launcher::pack
