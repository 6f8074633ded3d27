// A built launcher stamped with an identity and read back by the portable reader:
// the icon, version and execution level as asked, every other resource byte for
// byte, and what cannot be stamped refused.
#include "pack/launcher_stamp.h"
#include "pack/pack_error.h"
#include "pack/pe_image.h"
#include "support/file_bytes.h"
#include "support/pe_resources.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace launcher::pack {
namespace {

using testing::PeResource;

bool isIdentity(const PeResource& resource) {
    return resource.type == "#3" || resource.type == "#14" || resource.type == "#16" ||
           resource.type == "#24";
}

std::vector<PeResource> withoutIdentity(std::vector<PeResource> resources) {
    std::erase_if(resources, isIdentity);
    return resources;
}

const PeResource* find(const std::vector<PeResource>& resources, const std::string& type) {
    auto found =
        std::find_if(resources.begin(), resources.end(),
                     [&type](const PeResource& resource) { return resource.type == type; });
    return found == resources.end() ? nullptr : &*found;
}

class StampedLauncher : public ::testing::Test {
  protected:
    void SetUp() override {
        input = testing::readFile(LAUNCHER_PACK_INPUT);
        ASSERT_FALSE(input.empty()) << "no Windows build at " << LAUNCHER_PACK_INPUT;
        identity.icon = readIconFile(testing::readFile(LAUNCHER_SAMPLE_ICON));
        identity.version = {{2, 7, 13, 0},
                            {2, 7, 0, 0},
                            {{u"CompanyName", u"Acme \"Ltd\""},
                             {u"FileVersion", u"2.7.13.0"},
                             {u"LegalCopyright", u""},
                             {u"ProductName", u"Acme Viewer \u00A9"}}};
        identity.executionLevel = "asInvoker";
    }

    std::string input;
    LauncherIdentity identity;
};

TEST_F(StampedLauncher, OnlyTheIdentityChanges) {
    std::vector<PeResource> before = testing::readPeResources(input);
    std::vector<PeResource> after = testing::readPeResources(stampLauncher(input, identity));
    // The string table and the dialogs, among the rest, stay as built.
    std::vector<PeResource> kept = withoutIdentity(before);
    ASSERT_GE(kept.size(), 3u);
    EXPECT_EQ(withoutIdentity(after).size(), kept.size());
    for (size_t i = 0; i < kept.size() && i < withoutIdentity(after).size(); ++i) {
        EXPECT_EQ(withoutIdentity(after)[i].data, kept[i].data) << kept[i].type << kept[i].name;
    }

    testing::VersionInfo version = testing::readVersionInfo(find(after, "#16")->data);
    EXPECT_EQ(testing::dottedVersion(version.fileVersionMs, version.fileVersionLs), "2.7.13.0");
    EXPECT_EQ(testing::dottedVersion(version.productVersionMs, version.productVersionLs),
              "2.7.0.0");
    EXPECT_EQ(version.stringTable, "040904B0");
    EXPECT_EQ(version.strings,
              (std::map<std::string, std::string>{{"CompanyName", "Acme \"Ltd\""},
                                                  {"FileVersion", "2.7.13.0"},
                                                  {"ProductName", "Acme Viewer \xC2\xA9"}}));

    const PeResource* group = find(after, "#14");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->name, "#1");
    std::vector<std::string> images;
    for (const PeResource& resource : after) {
        if (resource.type == "#3") {
            images.push_back(resource.data);
        }
    }
    ASSERT_EQ(images.size(), identity.icon.size());
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i], identity.icon[i].bytes) << i;
    }

    std::string manifest = find(after, "#24")->data;
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    std::string builtManifest = find(before, "#24")->data;
    size_t level = builtManifest.find("requireAdministrator");
    ASSERT_NE(level, std::string::npos);
    EXPECT_EQ(manifest, builtManifest.replace(level, 20, "asInvoker"));
}

TEST_F(StampedLauncher, TheHeadersStayConsistent) {
    std::string output = stampLauncher(input, identity);
    PeImage stamped = PeImage::parse(output);
    EXPECT_EQ(stamped.resourceRva(), PeImage::parse(input).resourceRva());
    size_t nt = static_cast<unsigned char>(output[0x3C]) |
                static_cast<size_t>(static_cast<unsigned char>(output[0x3D])) << 8;
    size_t checksum = nt + 24 + 64;
    uint32_t stored = static_cast<uint32_t>(static_cast<unsigned char>(output[checksum])) |
                      static_cast<uint32_t>(static_cast<unsigned char>(output[checksum + 1])) << 8 |
                      static_cast<uint32_t>(static_cast<unsigned char>(output[checksum + 2]))
                          << 16 |
                      static_cast<uint32_t>(static_cast<unsigned char>(output[checksum + 3])) << 24;
    EXPECT_EQ(stored, peChecksum(output, checksum));
    // Stamping again, from the stamped image, gives the same bytes.
    EXPECT_EQ(stampLauncher(output, identity), output);
}

TEST_F(StampedLauncher, WhatCannotBeStampedIsRefused) {
    std::string signedLauncher = input;
    size_t nt = static_cast<unsigned char>(input[0x3C]) |
                static_cast<size_t>(static_cast<unsigned char>(input[0x3D])) << 8;
    signedLauncher[nt + 24 + 112 + 8 * 4 + 4] = 1; // a security directory of one byte
    const struct {
        const char* name;
        std::string bytes;
        const char* says;
    } rows[] = {
        {"signed", signedLauncher, "Authenticode signature"},
        {"no executable", "#!/bin/sh\n", "no Windows executable"},
        {"cut short", input.substr(0, 0x200), "beyond the end of the file"},
    };
    for (const auto& row : rows) {
        try {
            stampLauncher(row.bytes, identity);
            ADD_FAILURE() << row.name << " was stamped";
        } catch (const PackError& error) {
            EXPECT_NE(std::string(error.what()).find(row.says), std::string::npos)
                << row.name << ": " << error.what();
        }
    }
}

TEST(PackVersion, UpToFourNumbersOfSixteenBits) {
    const struct {
        const char* text;
        std::optional<Version> version;
    } rows[] = {
        {"2.7.13.65535", Version{2, 7, 13, 65535}},
        {"2.7", Version{2, 7, 0, 0}},
        {"0", Version{0, 0, 0, 0}},
        {"65536", std::nullopt},
        {"1.02", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..2", std::nullopt},
        {"", std::nullopt},
        {"v1", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parseVersion(row.text), row.version) << row.text;
    }
}

} // namespace
} // namespace launcher::pack
