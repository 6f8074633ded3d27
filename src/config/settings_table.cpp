// In-memory sections and entries, and the split of a text at a separator.
#include "config/settings_table.h"

#include <algorithm>

namespace launcher {

void splitList(std::u16string_view text, std::u16string_view separator, WideStringList& pieces) {
    pieces.clear();
    size_t position = 0;
    while (position < text.size()) {
        size_t found = text.find(separator, position);
        if (found == std::u16string_view::npos) {
            break;
        }
        pieces.emplace_back(text.substr(position, found - position));
        position = found + separator.size();
    }
    if (position >= text.size()) {
        return;
    }
    pieces.emplace_back(text.substr(position));
}

void trimText(WideString& text) {
    text.trim();
}

SettingsTable::Section* SettingsTable::findSection(std::u16string_view name) {
    auto found = std::find_if(sections_.begin(), sections_.end(),
                              [&](const Section& section) { return section.name == name; });
    return found == sections_.end() ? nullptr : &*found;
}

const SettingsTable::Section* SettingsTable::findSection(std::u16string_view name) const {
    return const_cast<SettingsTable*>(this)->findSection(name);
}

SettingsTable::Section& SettingsTable::addSection(const WideString& name) {
    return sections_.emplace_back(Section{name, {}});
}

const SettingsTable::Entry* SettingsTable::findEntry(const Section& section,
                                                     std::u16string_view key) {
    auto found = std::find_if(section.entries.begin(), section.entries.end(),
                              [&](const Entry& entry) { return entry.key == key; });
    return found == section.entries.end() ? nullptr : &*found;
}

void SettingsTable::addEntry(Section& section, const WideString& key, const WideString& value) {
    section.entries.push_back(Entry{key, value});
}

void SettingsTable::setValue(const WideString& section, const WideString& key,
                             const WideString& value) {
    Section* target = findSection(section);
    addEntry(target != nullptr ? *target : addSection(section), key, value);
}

WideString SettingsTable::getValue(std::u16string_view section, std::u16string_view key) const {
    const Section* found = findSection(section);
    const Entry* entry = found == nullptr ? nullptr : findEntry(*found, key);
    return entry == nullptr ? WideString() : entry->value;
}

WideStringList SettingsTable::getSectionNames() const {
    WideStringList names;
    for (const Section& section : sections_) {
        names.push_back(section.name);
    }
    return names;
}

namespace {

// The line with characters up to U+0020 left off at both ends.
std::u16string_view withoutControlsAndBlanks(std::u16string_view line) {
    size_t start = 0;
    while (start < line.size() && line[start] <= u' ') {
        ++start;
    }
    size_t end = line.size();
    while (end > start && line[end - 1] <= u' ') {
        --end;
    }
    return line.substr(start, end - start);
}

} // namespace

void loadSettingsText(SettingsTable& table, std::u16string_view text) {
    table.clear();
    WideStringList lines;
    splitList(text, u"\r\n", lines);
    if (!lines.empty() && lines.front().startsWith(u"\uFEFF")) {
        lines.front().remove(0, 1);
    }
    SettingsTable::Section* current = nullptr;
    for (const WideString& line : lines) {
        if (line.empty()) {
            continue;
        }
        std::u16string_view bare = withoutControlsAndBlanks(line);
        if (bare.size() >= 2 && bare.front() == u'[' && bare.back() == u']') {
            int32_t open = line.find(u'[');
            int32_t close = line.findLast(u']');
            current = &table.addSection(line.mid(open + 1, close - open - 1));
            continue;
        }
        int32_t equals = line.find(u'=');
        if (current == nullptr || equals == WideString::kNotFound) {
            continue;
        }
        WideString key = line.left(equals);
        WideString value = line.mid(equals + 1);
        trimText(key);
        trimText(value);
        SettingsTable::addEntry(*current, key, value);
    }
}

} // namespace launcher
