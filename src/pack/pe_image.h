// A Windows executable read from its bytes and written again with a new resource
// section, without any Windows API: the packer runs on Linux too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::pack {

class PeImage {
  public:
    // Throws PackError when the bytes are no PE image this can rewrite.
    static PeImage parse(std::string bytes);

    // Whether an Authenticode signature is attached (which any change would break).
    bool isSigned() const noexcept { return signed_; }
    // Where the resource section lies in memory, and its bytes.
    uint32_t resourceRva() const noexcept { return sections_[resources_].virtualAddress; }
    std::string_view resourceSection() const;

    // The image with `section` (built for resourceRva()) as its resources: the
    // sections after it move up, and sizes, the section table, the data
    // directories and the checksum are made right.
    std::string withResources(std::string_view section) const;

  private:
    struct Section {
        size_t header = 0; // offset of its entry in the section table
        uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0;
        std::string name;
    };

    std::string bytes_;
    size_t optionalHeader_ = 0;
    size_t dataDirectories_ = 0;
    uint32_t directoryCount_ = 0;
    uint32_t sectionAlignment_ = 0, fileAlignment_ = 0;
    std::vector<Section> sections_;
    size_t resources_ = 0;
    bool signed_ = false;
};

// The checksum the PE header carries: the 16-bit sum of the file without its own
// field, with carries folded in, plus the file's length.
uint32_t peChecksum(std::string_view image, size_t checksumOffset);

} // namespace launcher::pack
