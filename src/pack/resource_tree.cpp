// The three-level resource directory: types, names, languages, then data entries.
#include "pack/resource_tree.h"

#include "pack/bytes.h"
#include "pack/pack_error.h"

#include <algorithm>
#include <map>

namespace launcher::pack {

namespace {

constexpr const char* kTree = "the launcher's resource directory";
constexpr uint32_t kSubdirectory = 0x80000000;
constexpr size_t kDirectorySize = 16;
constexpr size_t kEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
constexpr int kLevels = 3;

struct Reader {
    std::string_view section;
    uint32_t rva;
    std::vector<Resource>& out;

    ResourceName nameAt(uint32_t field) const {
        if ((field & kSubdirectory) == 0) {
            return ResourceName::number(static_cast<uint16_t>(field));
        }
        size_t at = field & ~kSubdirectory;
        uint16_t length = read16(section, at, kTree);
        ResourceName name;
        for (uint16_t i = 0; i < length; ++i) {
            name.text.push_back(static_cast<char16_t>(read16(section, at + 2 + 2 * i, kTree)));
        }
        return name;
    }

    void directory(size_t at, int level, Resource path) {
        if (level >= kLevels) {
            throw PackError(std::string(kTree) + " is deeper than three levels");
        }
        size_t count = size_t{read16(section, at + 12, kTree)} + read16(section, at + 14, kTree);
        for (size_t i = 0; i < count; ++i) {
            size_t entry = at + kDirectorySize + kEntrySize * i;
            ResourceName name = nameAt(read32(section, entry, kTree));
            uint32_t target = read32(section, entry + 4, kTree);
            Resource next = path;
            if (level == 0) {
                next.type = name;
            } else if (level == 1) {
                next.name = name;
            } else {
                next.language = name.id;
            }
            if ((target & kSubdirectory) != 0) {
                directory(target & ~kSubdirectory, level + 1, next);
            } else {
                leaf(target, next);
            }
        }
    }

    void leaf(size_t at, Resource resource) const {
        uint32_t dataRva = read32(section, at, kTree);
        uint32_t size = read32(section, at + 4, kTree);
        resource.codePage = read32(section, at + 8, kTree);
        if (dataRva < rva || dataRva - rva > section.size() ||
            size > section.size() - (dataRva - rva)) {
            throw PackError("a resource of the launcher lies outside its section");
        }
        resource.data = std::string(section.substr(dataRva - rva, size));
        out.push_back(std::move(resource));
    }
};

// Texts first, ordered by their units; then numbers ascending.
struct NameOrder {
    bool operator()(const ResourceName& a, const ResourceName& b) const {
        bool aText = !a.text.empty(), bText = !b.text.empty();
        if (aText != bText) {
            return aText;
        }
        return aText ? a.text < b.text : a.id < b.id;
    }
};

using Languages = std::map<uint16_t, const Resource*>;
using Names = std::map<ResourceName, Languages, NameOrder>;
using Types = std::map<ResourceName, Names, NameOrder>;

class Writer {
  public:
    Writer(const Types& types, uint32_t rva) : types_(types), rva_(rva) {}

    std::string write() {
        // Directories first, then data entries, then names, then the data.
        size_t directories = kDirectorySize + kEntrySize * types_.size();
        size_t leaves = 0;
        for (const auto& [type, names] : types_) {
            directories += kDirectorySize + kEntrySize * names.size();
            for (const auto& [name, languages] : names) {
                directories += kDirectorySize + kEntrySize * languages.size();
                leaves += languages.size();
            }
        }
        dataEntries_ = directories;
        strings_ = dataEntries_ + kDataEntrySize * leaves;
        out_.assign(strings_, '\0');
        size_t next = kDirectorySize + kEntrySize * types_.size();
        writeDirectory(0, types_, next, [&](const Names& names, size_t at) {
            size_t own = at;
            next = own + kDirectorySize + kEntrySize * names.size();
            writeDirectory(own, names, next, [&](const Languages& languages, size_t languageAt) {
                next = languageAt + kDirectorySize + kEntrySize * languages.size();
                writeLanguages(languageAt, languages);
            });
        });
        // The data of each leaf, aligned as the loader's callers expect.
        for (auto& [entry, resource] : pending_) {
            padTo(out_, 8);
            writeLittleEndian(out_, entry, rva_ + out_.size(), 4);
            writeLittleEndian(out_, entry + 4, resource->data.size(), 4);
            writeLittleEndian(out_, entry + 8, resource->codePage, 4);
            out_.append(resource->data);
        }
        return out_;
    }

  private:
    template <class Children, class Descend>
    void writeDirectory(size_t at, const std::map<ResourceName, Children, NameOrder>& entries,
                        size_t& next, Descend descend) {
        writeHeader(at, entries);
        size_t index = 0;
        for (const auto& [name, children] : entries) {
            size_t entry = at + kDirectorySize + kEntrySize * index++;
            writeLittleEndian(out_, entry, nameField(name), 4);
            size_t child = next;
            writeLittleEndian(out_, entry + 4, kSubdirectory | child, 4);
            descend(children, child);
        }
    }

    template <class Entries> void writeHeader(size_t at, const Entries& entries) {
        uint16_t named = static_cast<uint16_t>(
            std::count_if(entries.begin(), entries.end(),
                          [](const auto& entry) { return !entry.first.text.empty(); }));
        writeLittleEndian(out_, at + 12, named, 2);
        writeLittleEndian(out_, at + 14, entries.size() - named, 2);
    }

    void writeLanguages(size_t at, const Languages& languages) {
        writeLittleEndian(out_, at + 14, languages.size(), 2);
        size_t index = 0;
        for (const auto& [language, resource] : languages) {
            size_t entry = at + kDirectorySize + kEntrySize * index++;
            size_t leaf = dataEntries_ + kDataEntrySize * leavesWritten_++;
            writeLittleEndian(out_, entry, language, 4);
            writeLittleEndian(out_, entry + 4, leaf, 4);
            pending_.emplace_back(leaf, resource);
        }
    }

    uint32_t nameField(const ResourceName& name) {
        if (name.text.empty()) {
            return name.id;
        }
        size_t at = out_.size();
        append16(out_, static_cast<uint16_t>(name.text.size()));
        for (char16_t unit : name.text) {
            append16(out_, static_cast<uint16_t>(unit));
        }
        return kSubdirectory | static_cast<uint32_t>(at);
    }

    const Types& types_;
    uint32_t rva_;
    std::string out_;
    size_t dataEntries_ = 0, strings_ = 0, leavesWritten_ = 0;
    std::vector<std::pair<size_t, const Resource*>> pending_;
};

} // namespace

std::vector<Resource> readResources(std::string_view section, uint32_t sectionRva) {
    std::vector<Resource> resources;
    Reader{section, sectionRva, resources}.directory(0, 0, Resource{});
    return resources;
}

std::string writeResources(const std::vector<Resource>& resources, uint32_t sectionRva) {
    Types types;
    for (const Resource& resource : resources) {
        types[resource.type][resource.name][resource.language] = &resource;
    }
    return Writer(types, sectionRva).write();
}

} // namespace launcher::pack
