// The Linux catalogue: the texts compiled into a table.
#include "messages/message_catalogue.h"

#include <algorithm>
#include <iterator>

namespace launcher {

namespace {

struct CatalogueEntry {
    uint16_t id;
    const char16_t* text;
};

#define CATALOGUE_TEXT(id, text) {id, u"" text},
constexpr CatalogueEntry kCatalogue[] = {
#include "messages/messages.def"
};
#undef CATALOGUE_TEXT

} // namespace

WideString MessageCatalogue::load(uint16_t id) {
    auto found = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                              [id](const CatalogueEntry& entry) { return entry.id == id; });
    return found == std::end(kCatalogue) ? WideString() : WideString(found->text);
}

} // namespace launcher
