// Fuzzes the loader of the embedded settings text and the list splitting it
// builds on. The first byte chooses how the rest is read: as UTF-8 (even) or
// as UTF-16 little-endian code units (odd), so that any code unit can occur.
#include "config/settings_table.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using launcher::WideString;
using launcher::WideStringList;

std::u16string textOf(const uint8_t* data, size_t size) {
    if (size == 0) {
        return {};
    }
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if ((data[0] & 1) == 0) {
        return std::u16string(launcher::platform::utf8ToWide(rest).view());
    }
    std::u16string text;
    for (size_t at = 0; at + 1 < rest.size(); at += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(rest[at]) |
                                             (static_cast<unsigned char>(rest[at + 1]) << 8)));
    }
    return text;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The pieces put back together with the separator give the text again, less
// one separator at the very end.
void checkSplit(std::u16string_view text, std::u16string_view separator) {
    WideStringList pieces;
    launcher::splitList(text, separator, pieces);
    std::u16string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            joined += separator;
        }
        joined += pieces[i].view();
    }
    bool endsWithSeparator = !pieces.empty() && text.size() > joined.size();
    check(joined + (endsWithSeparator ? std::u16string(separator) : u"") == text);
    if (text.empty()) {
        check(pieces.empty());
    }
}

bool trimmed(std::u16string_view text) {
    return text.empty() ||
           (!launcher::isWideSpace(text.front()) && !launcher::isWideSpace(text.back()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text = textOf(data, size);
    checkSplit(text, u"\r\n");
    checkSplit(text, u";");
    if (!text.empty()) {
        checkSplit(text, std::u16string_view(text).substr(0, 1));
    }

    launcher::SettingsTable table;
    table.setValue(u"stale", u"k", u"v");
    launcher::loadSettingsText(table, text);
    WideStringList lines;
    launcher::splitList(text, u"\r\n", lines);
    WideStringList names = table.getSectionNames();
    check(names.size() <= lines.size());
    for (const WideString& name : names) {
        check(name.view().find(u"\r\n") == std::u16string_view::npos);
        const launcher::SettingsTable::Section* section = table.findSection(name);
        check(section != nullptr && section->name == name);
        for (const launcher::SettingsTable::Entry& entry : section->entries) {
            check(trimmed(entry.key.view()) && trimmed(entry.value.view()));
            check(entry.key.view().find(u'=') == std::u16string_view::npos);
            check(entry.value.view().find(u"\r\n") == std::u16string_view::npos);
            // The first entry of a key answers for it.
            check(launcher::SettingsTable::findEntry(*section, entry.key)->value ==
                  table.getValue(name, entry.key));
        }
    }
    return 0;
}
