// In-memory sections and entries, and the rules that split setting values.
#pragma once

#include "base/wide_string.h"

#include <vector>

namespace launcher {

// Replaces `pieces` with the parts of `text` between occurrences of `separator`.
// A separator at the very end gives no empty last piece; pieces are not trimmed.
void splitList(std::u16string_view text, std::u16string_view separator, WideStringList& pieces);

// Removes white space (by the C runtime's classification) at both ends.
void trimText(WideString& text);

// Sections and entries in the order added; names need not be unique and every
// lookup compares exactly and returns the first match.
class SettingsTable {
  public:
    struct Entry {
        WideString key;
        WideString value;
    };
    struct Section {
        WideString name;
        std::vector<Entry> entries;
    };

    Section* findSection(std::u16string_view name);
    const Section* findSection(std::u16string_view name) const;
    Section& addSection(const WideString& name);
    static const Entry* findEntry(const Section& section, std::u16string_view key);
    static void addEntry(Section& section, const WideString& key, const WideString& value);
    // Adds an entry to the first section of the name (made when missing); an
    // existing entry of the same key is not replaced and so still wins.
    void setValue(const WideString& section, const WideString& key, const WideString& value);
    WideString getValue(std::u16string_view section, std::u16string_view key) const;
    WideStringList getSectionNames() const;
    void clear() noexcept { sections_.clear(); }

  private:
    std::vector<Section> sections_;
};

// Replaces the table's content with the sections and entries of INI-format text
// whose lines end with carriage return and line feed.
void loadSettingsText(SettingsTable& table, std::u16string_view text);

} // namespace launcher
