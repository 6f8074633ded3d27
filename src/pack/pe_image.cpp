// The PE layout as far as a new resource section needs it: headers, the section
// table, the data directories.
#include "pack/pe_image.h"

#include "pack/bytes.h"
#include "pack/pack_error.h"

namespace launcher::pack {

namespace {

constexpr const char* kImage = "the launcher executable";
constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint32_t kRelocationDirectory = 5;

uint32_t alignUp(uint64_t value, uint32_t alignment) {
    return static_cast<uint32_t>((value + alignment - 1) / alignment * alignment);
}

} // namespace

PeImage PeImage::parse(std::string bytes) {
    PeImage image;
    image.bytes_ = std::move(bytes);
    std::string_view view = image.bytes_;
    if (view.size() < 64 || view[0] != 'M' || view[1] != 'Z') {
        throw PackError("the launcher is no Windows executable (no MZ header)");
    }
    size_t nt = read32(view, 0x3C, kImage);
    if (read32(view, nt, kImage) != 0x00004550) {
        throw PackError("the launcher is no Windows executable (no PE signature)");
    }
    uint16_t sectionCount = read16(view, nt + 6, kImage);
    uint16_t optionalSize = read16(view, nt + 20, kImage);
    image.optionalHeader_ = nt + 24;
    uint16_t magic = read16(view, image.optionalHeader_, kImage);
    if (magic != kPe32 && magic != kPe32Plus) {
        throw PackError("the launcher's optional header is of an unknown kind");
    }
    size_t directories = magic == kPe32Plus ? 112 : 96;
    image.dataDirectories_ = image.optionalHeader_ + directories;
    image.directoryCount_ = read32(view, image.dataDirectories_ - 4, kImage);
    image.sectionAlignment_ = read32(view, image.optionalHeader_ + 32, kImage);
    image.fileAlignment_ = read32(view, image.optionalHeader_ + 36, kImage);
    if (image.directoryCount_ <= kRelocationDirectory || image.fileAlignment_ == 0 ||
        image.sectionAlignment_ == 0) {
        throw PackError("the launcher's headers are malformed");
    }
    auto directory = [&image, view](uint32_t index, size_t field) {
        return read32(view, image.dataDirectories_ + 8 * index + field, kImage);
    };
    image.signed_ = directory(kSecurityDirectory, 4) != 0;
    size_t table = image.optionalHeader_ + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        size_t at = table + kSectionHeaderSize * i;
        Section section;
        section.header = at;
        std::string_view name = view.substr(std::min(at, view.size()), 8);
        section.name = std::string(name.substr(0, name.find('\0')));
        section.virtualSize = read32(view, at + 8, kImage);
        section.virtualAddress = read32(view, at + 12, kImage);
        section.rawSize = read32(view, at + 16, kImage);
        section.rawPointer = read32(view, at + 20, kImage);
        if (uint64_t{section.rawPointer} + section.rawSize > view.size()) {
            throw PackError("a section of the launcher lies beyond the end of the file");
        }
        image.sections_.push_back(section);
    }
    uint32_t resourceRva = directory(kResourceDirectory, 0);
    image.resources_ = image.sections_.size();
    for (size_t i = 0; i < image.sections_.size(); ++i) {
        if (image.sections_[i].virtualAddress == resourceRva && resourceRva != 0) {
            image.resources_ = i;
        }
    }
    if (image.resources_ == image.sections_.size()) {
        throw PackError("the launcher has no resource section of its own");
    }
    // Only the relocations may follow the resources: they are the one section
    // whose content does not depend on where it lies.
    for (size_t i = image.resources_ + 1; i < image.sections_.size(); ++i) {
        if (image.sections_[i].name != ".reloc") {
            throw PackError("the launcher's section " + image.sections_[i].name +
                            " follows its resources; it cannot be moved");
        }
    }
    return image;
}

std::string_view PeImage::resourceSection() const {
    const Section& section = sections_[resources_];
    return std::string_view(bytes_).substr(section.rawPointer,
                                           std::min(section.rawSize, section.virtualSize));
}

std::string PeImage::withResources(std::string_view section) const {
    const Section& old = sections_[resources_];
    std::string out = bytes_.substr(0, old.rawPointer);
    uint32_t newRaw = alignUp(section.size(), fileAlignment_);
    out.append(section);
    padTo(out, fileAlignment_);
    writeLittleEndian(out, old.header + 8, section.size(), 4);
    writeLittleEndian(out, old.header + 16, newRaw, 4);

    uint32_t nextVirtual =
        alignUp(uint64_t{old.virtualAddress} + section.size(), sectionAlignment_);
    uint32_t relocationRva = read32(bytes_, dataDirectories_ + 8 * kRelocationDirectory, kImage);
    uint32_t imageEnd = nextVirtual;
    uint64_t rawEnd = uint64_t{old.rawPointer} + old.rawSize;
    for (size_t i = resources_ + 1; i < sections_.size(); ++i) {
        const Section& moved = sections_[i];
        uint32_t rawPointer = static_cast<uint32_t>(out.size());
        out.append(bytes_, moved.rawPointer, moved.rawSize);
        writeLittleEndian(out, moved.header + 12, nextVirtual, 4);
        writeLittleEndian(out, moved.header + 20, moved.rawSize != 0 ? rawPointer : 0, 4);
        if (relocationRva >= moved.virtualAddress &&
            relocationRva < moved.virtualAddress + moved.virtualSize) {
            writeLittleEndian(out, dataDirectories_ + 8 * kRelocationDirectory,
                              relocationRva - moved.virtualAddress + nextVirtual, 4);
        }
        imageEnd = alignUp(uint64_t{nextVirtual} + moved.virtualSize, sectionAlignment_);
        rawEnd = std::max<uint64_t>(rawEnd, uint64_t{moved.rawPointer} + moved.rawSize);
        nextVirtual = imageEnd;
    }
    out.append(bytes_, static_cast<size_t>(std::min<uint64_t>(rawEnd, bytes_.size())));
    writeLittleEndian(out, dataDirectories_ + 8 * kResourceDirectory, old.virtualAddress, 4);
    writeLittleEndian(out, dataDirectories_ + 8 * kResourceDirectory + 4, section.size(), 4);
    writeLittleEndian(out, optionalHeader_ + 56, imageEnd, 4); // SizeOfImage
    uint32_t initialized = read32(bytes_, optionalHeader_ + 8, kImage);
    writeLittleEndian(out, optionalHeader_ + 8, initialized - old.rawSize + newRaw, 4);
    writeLittleEndian(out, optionalHeader_ + 64, peChecksum(out, optionalHeader_ + 64), 4);
    return out;
}

uint32_t peChecksum(std::string_view image, size_t checksumOffset) {
    uint64_t sum = 0;
    for (size_t at = 0; at < image.size(); at += 2) {
        if (at == checksumOffset || at == checksumOffset + 2) {
            continue;
        }
        uint32_t word = static_cast<unsigned char>(image[at]);
        if (at + 1 < image.size()) {
            word |= uint32_t{static_cast<unsigned char>(image[at + 1])} << 8;
        }
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}

} // namespace launcher::pack
