// Stamping works on the resource list: the icon group 1 and its images, the
// version resource and the manifest are replaced, the rest is written back as read.
#include "pack/launcher_stamp.h"

#include "pack/bytes.h"
#include "pack/pack_error.h"
#include "pack/pe_image.h"
#include "pack/resource_tree.h"

#include <algorithm>
#include <set>

namespace launcher::pack {

namespace {

constexpr uint16_t kUsEnglish = 0x0409;
constexpr size_t kGroupHeader = 6;
constexpr size_t kGroupEntry = 14;

bool isNumbered(const Resource& resource, uint16_t type) {
    return resource.type.text.empty() && resource.type.id == type;
}

bool isFirst(const Resource& resource) {
    return resource.name.text.empty() && resource.name.id == 1;
}

// Icon group 1 and the images it names leave; the ids of the other images stay.
void removeIconGroupOne(std::vector<Resource>& resources) {
    std::set<uint16_t> images;
    for (const Resource& resource : resources) {
        if (isNumbered(resource, kGroupIconType) && isFirst(resource)) {
            uint16_t count = read16(resource.data, 4, "the launcher's icon group");
            for (uint16_t i = 0; i < count; ++i) {
                images.insert(read16(resource.data, kGroupHeader + kGroupEntry * i + 12,
                                     "the launcher's icon group"));
            }
        }
    }
    std::erase_if(resources, [&images](const Resource& resource) {
        return (isNumbered(resource, kGroupIconType) && isFirst(resource)) ||
               (isNumbered(resource, kIconType) && resource.name.text.empty() &&
                images.count(resource.name.id) != 0);
    });
}

void addIcon(std::vector<Resource>& resources, const std::vector<IconImage>& icon,
             uint16_t language) {
    removeIconGroupOne(resources);
    uint16_t firstId = 1;
    for (const Resource& resource : resources) {
        if (isNumbered(resource, kIconType) && resource.name.text.empty()) {
            firstId = std::max<uint16_t>(firstId, resource.name.id + 1);
        }
    }
    for (size_t i = 0; i < icon.size(); ++i) {
        resources.push_back({ResourceName::number(kIconType),
                             ResourceName::number(static_cast<uint16_t>(firstId + i)), language,
                             icon[i].bytes, 0});
    }
    resources.push_back({ResourceName::number(kGroupIconType), ResourceName::number(1), language,
                         iconGroup(icon, firstId), 0});
}

void replaceVersion(std::vector<Resource>& resources, const VersionFields& fields,
                    uint16_t language) {
    std::erase_if(resources,
                  [](const Resource& resource) { return isNumbered(resource, kVersionType); });
    resources.push_back({ResourceName::number(kVersionType), ResourceName::number(1), language,
                         versionResource(fields), 0});
}

void setExecutionLevel(std::vector<Resource>& resources, const std::string& level) {
    for (Resource& resource : resources) {
        if (!isNumbered(resource, kManifestType) || !isFirst(resource)) {
            continue;
        }
        const std::string attribute = "level=\"";
        size_t at = resource.data.find(attribute);
        size_t end = at == std::string::npos ? at : resource.data.find('"', at + attribute.size());
        if (end == std::string::npos) {
            throw PackError("the launcher's manifest names no execution level");
        }
        resource.data.replace(at + attribute.size(), end - at - attribute.size(), level);
        return;
    }
    throw PackError("the launcher has no manifest");
}

uint16_t versionLanguage(const std::vector<Resource>& resources) {
    for (const Resource& resource : resources) {
        if (isNumbered(resource, kVersionType)) {
            return resource.language;
        }
    }
    return kUsEnglish;
}

} // namespace

std::string stampLauncher(std::string launcher, const LauncherIdentity& identity) {
    PeImage image = PeImage::parse(std::move(launcher));
    if (image.isSigned()) {
        throw PackError("the launcher carries an Authenticode signature, which stamping would "
                        "break: pack an unsigned launcher and sign the result (scripts/sign)");
    }
    std::vector<Resource> resources = readResources(image.resourceSection(), image.resourceRva());
    uint16_t language = versionLanguage(resources);
    if (!identity.icon.empty()) {
        addIcon(resources, identity.icon, language);
    }
    replaceVersion(resources, identity.version, language);
    if (!identity.executionLevel.empty()) {
        setExecutionLevel(resources, identity.executionLevel);
    }
    return image.withResources(writeResources(resources, image.resourceRva()));
}

} // namespace launcher::pack
