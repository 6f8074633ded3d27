// The layered store and the "+" section rule, and what every store traces.
#include "config/ini_store.h"

#include "platform/file.h"
#include "platform/trace.h"

namespace launcher {

LayeredIniStore::LayeredIniStore(WideString path, std::u16string_view baseText)
    : IniFileStore(std::move(path)) {
    if (!baseText.empty()) {
        loadSettingsText(base_, baseText);
    }
}

uint32_t IniFileStore::checkReadable() {
    platform::SystemError error;
    std::optional<platform::File> file = platform::File::open(path_, error);
    if (!file) {
        return error.code;
    }
    return file->kind() == platform::FileKind::Folder ? platform::kIsFolderError : 0;
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
