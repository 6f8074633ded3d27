// The INI file store on Linux, over IniDocument, with safe in-place writes.
#include "config/ini_document.h"
#include "config/ini_store.h"

#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/text.h"

#include <algorithm>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace launcher {

namespace {

// The documents read in this process, by path: each file is read and parsed once
// per launch however many stores read it. An entry stands while the file's
// identity (device, inode, size, change and modification times) is the one seen
// when it was read; a file changed within the last two seconds of that reading
// might have changed again within one timestamp tick, so for it the bytes are
// read again and compared by hash before the parse is reused.
struct CachedDocument {
    platform::FileIdentity identity;
    bool settled = false;
    size_t hash = 0;
    std::shared_ptr<const IniDocument> document;
};

std::map<std::string, CachedDocument>& documentCache() {
    static std::map<std::string, CachedDocument> cache;
    return cache;
}

// Whether the change times lie far enough in the past that a later change would
// show in them.
bool settledAt(const platform::FileIdentity& identity) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    int64_t latest = std::max(identity.modified, identity.changed) / 1000000000;
    return latest + 2 < now.tv_sec;
}

std::shared_ptr<const IniDocument> loadDocument(const WideString& path) {
    std::string name = platform::wideToNarrow(path);
    platform::SystemError error;
    std::optional<platform::File> file = platform::File::open(path, error);
    bool known = file && file->kind() == platform::FileKind::Regular;
    platform::FileIdentity identity = known ? file->identity() : platform::FileIdentity{};
    auto& cache = documentCache();
    auto found = cache.find(name);
    if (known && found != cache.end() && found->second.settled &&
        found->second.identity == identity) {
        return found->second.document;
    }
    std::string bytes;
    if (known) {
        file->readAll(bytes);
    }
    size_t hash = std::hash<std::string_view>{}(bytes);
    if (known && found != cache.end() && found->second.hash == hash &&
        found->second.document != nullptr) {
        found->second.identity = identity;
        return found->second.document;
    }
    auto document = std::make_shared<const IniDocument>(IniDocument::parseForReading(bytes));
    bytes = std::string(); // the bytes go before the next file is read
    if (!known) {
        cache.erase(name);
        return document;
    }
    cache[name] = CachedDocument{identity, settledAt(identity), hash, document};
    return document;
}

void forgetDocument(const WideString& path) {
    documentCache().erase(platform::wideToNarrow(path));
}

} // namespace

const IniDocument& IniFileStore::document() {
    if (!document_) {
        document_ = loadDocument(path_);
    }
    return *document_;
}

WideString IniFileStore::getValue(std::u16string_view section, std::u16string_view key) {
    WideString value;
    document().getValue(section, key, value);
    return value;
}

void IniFileStore::getSectionNames(WideStringList& names) {
    names = document().sectionNames();
}

bool IniFileStore::setValue(std::u16string_view section, std::u16string_view key,
                            std::u16string_view value) {
    std::string bytes;
    if (!platform::readFileToReplace(path_, bytes)) {
        return false;
    }
    document_.reset(); // what this store read before no longer stands
    forgetDocument(path_);
    IniDocument document = IniDocument::parse(bytes);
    if (!document.setValue(section, key, value)) {
        return false;
    }
    return platform::writeFileAtomically(path_, document.serialize());
}

bool IniFileStore::remove() {
    document_.reset();
    forgetDocument(path_);
    return platform::removeFile(path_);
}

} // namespace launcher
