// Settings stores: an INI file, and the file layered over a base.
#pragma once

#include "base/wide_string.h"
#include "config/settings_table.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace launcher {

class IniDocument;

class IniStore {
  public:
    virtual ~IniStore() = default;
    // 0 when the source can be opened and read, else the system error code.
    virtual uint32_t checkReadable() = 0;
    // The value, or the empty string when absent.
    virtual WideString getValue(std::u16string_view section, std::u16string_view key) = 0;
    // Replaces `names` with the names of all sections, in file order.
    virtual void getSectionNames(WideStringList& names) = 0;
    virtual bool setValue(std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) = 0;
    // Deletes the store's source.
    virtual bool remove() = 0;
};

// An INI file read and written by the platform's private-profile rules: names
// match without regard to case, the first of duplicates wins, values lose their
// surrounding blanks and one pair of enclosing quotes.
class IniFileStore : public IniStore {
  public:
    explicit IniFileStore(WideString path) : path_(std::move(path)) {}

    uint32_t checkReadable() override;
    WideString getValue(std::u16string_view section, std::u16string_view key) override;
    void getSectionNames(WideStringList& names) override;
    bool setValue(std::u16string_view section, std::u16string_view key,
                  std::u16string_view value) override;
    bool remove() override;

    const WideString& path() const noexcept { return path_; }

  private:
    // Where the system has no profile functions of its own, the file is read once
    // per store; a store lives for one reading operation only.
    const IniDocument& document();
    // Where the profile functions would read the file in the code page although
    // it is UTF-8 (no byte-order mark), the file as a document; else null.
    const IniDocument* utf8Document();

    WideString path_;
    std::shared_ptr<const IniDocument> document_;
    bool examined_ = false; // whether utf8Document has looked at the file
};

// The store settings are read through: the file lies over a base layer, and a
// section named like the one asked for plus "+" extends an empty value (after
// one blank when the base layer gave a value, as the value itself when nothing
// came before it). Writes and section names concern the file only. The base
// layer holds settings text an executable may carry with it; the launcher as
// built carries none, so its base is empty and every value comes from the file.
class LayeredIniStore final : public IniFileStore {
  public:
    explicit LayeredIniStore(WideString path, std::u16string_view baseText = {});

    WideString getValue(std::u16string_view section, std::u16string_view key) override;

  private:
    SettingsTable base_;
};

// Puts a value read into the trace: which layer gave it ("main", "per-user",
// "base", "plus"), or "none" when it is empty.
void traceSetting(std::u16string_view section, std::u16string_view key, std::string_view from,
                  const WideString& value);
// A value of the file alone, traced as coming from `layer`.
WideString readTracedValue(IniFileStore& store, std::u16string_view section,
                           std::u16string_view key, std::string_view layer);

} // namespace launcher
