// The memory and layered stores, and the "+" section rule.
#include "config/ini_store.h"

#include "platform/trace.h"

#include <cstring>

namespace launcher {

uint32_t MemoryIniStore::probe(unsigned char (&firstBytes)[4]) {
    std::memset(firstBytes, 0, sizeof firstBytes);
    return 1;
}

WideString MemoryIniStore::getValue(std::u16string_view section, std::u16string_view key) {
    return table_.getValue(section, key);
}

void MemoryIniStore::getSectionNames(WideStringList& names) {
    names = table_.getSectionNames();
}

bool MemoryIniStore::setValue(std::u16string_view section, std::u16string_view key,
                              std::u16string_view value) {
    table_.setValue(WideString(section), WideString(key), WideString(value));
    return true;
}

bool MemoryIniStore::remove() {
    return false;
}

std::u16string_view embeddedSettingsText() noexcept {
    return {};
}

LayeredIniStore::LayeredIniStore(WideString path) : IniFileStore(std::move(path)) {
    loadSettingsText(base_.table(), embeddedSettingsText());
}

void traceSetting(std::u16string_view section, std::u16string_view key, std::string_view from,
                  const WideString& value) {
    platform::TraceLine("setting")
        .add("section", section)
        .add("key", key)
        .add("from", value.empty() ? std::string_view("none") : from)
        .add("value", value.view());
}

WideString readTracedValue(IniFileStore& store, std::u16string_view section,
                           std::u16string_view key, std::string_view layer) {
    WideString value = store.getValue(section, key);
    traceSetting(section, key, layer, value);
    return value;
}

WideString LayeredIniStore::getValue(std::u16string_view section, std::u16string_view key) {
    WideString value = base_.getValue(section, key);
    WideString fromFile = IniFileStore::getValue(section, key);
    if (!fromFile.empty()) {
        traceSetting(section, key, "main", fromFile);
        return fromFile;
    }
    std::string_view from = "base";
    WideString extendingSection(section);
    extendingSection.append(u'+');
    WideString extension = IniFileStore::getValue(extendingSection, key);
    // The blank separates the extension from a value before it; with nothing
    // before it, the extension is the value as written.
    if (!extension.empty()) {
        if (!value.empty() && extension.at(0) != u' ') {
            value.append(u' ');
        }
        value.append(extension);
        from = "plus";
    }
    traceSetting(section, key, from, value);
    return value;
}

} // namespace launcher
