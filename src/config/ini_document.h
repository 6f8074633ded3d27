// The private-profile file format read and changed the way the Windows
// private-profile functions do, for systems that do not have them.
#pragma once

#include "base/wide_string.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

class IniDocument {
  public:
    enum class Encoding { Utf8, Utf8WithBom, Windows1252, Utf16LittleEndian, Utf16BigEndian };

    // Decodes the file's bytes: UTF-16 with its byte-order mark (either byte
    // order), UTF-8 with or without one, and, for bytes that are not UTF-8, the
    // Windows-1252 code page. Any bytes give a document; nothing here fails.
    static IniDocument parse(std::string_view bytes);
    // The same for reading only: the check that the bytes would be written back
    // unchanged (a second copy of the whole file) is left out, and setValue on
    // the result always refuses.
    static IniDocument parseForReading(std::string_view bytes);

    Encoding encoding() const noexcept { return encoding_; }

    // Section and key names match without regard to ASCII letter case, after
    // blanks around the asked-for names are dropped; the first of duplicates
    // wins. The value loses surrounding blanks and one pair of enclosing quotes.
    // False when the key is absent.
    bool getValue(std::u16string_view section, std::u16string_view key, WideString& value) const;
    // The names of the sections in file order, duplicates included, without
    // the nameless ones.
    WideStringList sectionNames() const;
    // The keys the platform lists for the first section named exactly `section`
    // (letter case aside): those written with "=", comments (";...") left out.
    WideStringList keyNames(std::u16string_view section) const;

    // Sets one value, keeping every other line, comment, line ending and the
    // encoding as they were. False, with the document unchanged, when the
    // names or the value cannot be written so that they read back (line
    // breaks, zero characters, "=" in a key, characters the encoding lacks),
    // or when the file's bytes would not survive being written again.
    bool setValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    // The bytes of the document in its encoding.
    std::string serialize() const;

  private:
    // Positions of a key within the decoded text: where its line starts, and
    // within that line its name and value. Names and values are the text up to
    // the first zero character, as the platform's string functions see them.
    // Keys are positions, not copies, and lines are not kept at all, so that a
    // large file costs little more than its decoded text.
    struct KeyLine {
        size_t lineStart;
        uint32_t nameStart, nameEnd;
        uint32_t valueStart, valueEnd; // valueStart is kNoValue for a line without "="
        bool hasValue() const noexcept { return valueStart != kNoValue; }
    };
    // The keys of a section are the range [firstKey, endKey) of keys_.
    struct Section {
        size_t headerLine; // where the header line starts; kNoLine for the keys before it
        uint32_t nameStart, nameEnd;
        size_t firstKey, endKey;
    };
    static constexpr uint32_t kNoValue = UINT32_MAX;
    static constexpr size_t kNoLine = static_cast<size_t>(-1);

    static IniDocument parse(std::string_view bytes, bool checkLossless);
    // Indexes the sections and keys of text_ line by line.
    void index();
    // The line that starts at `start`, without its line ending, and that ending.
    std::u16string_view lineText(size_t start) const;
    std::u16string_view lineEndingAfter(std::u16string_view line) const;
    std::u16string_view sectionName(const Section& section) const;
    std::u16string_view keyName(const KeyLine& key) const;
    std::u16string_view keyValue(const KeyLine& key) const;
    const Section* findSection(std::u16string_view trimmedName) const;
    bool representable(std::u16string_view text) const;
    std::u16string lineEnding() const;

    Encoding encoding_ = Encoding::Utf8;
    std::u16string text_;       // the whole decoded file
    std::vector<KeyLine> keys_; // every section's keys, in file order
    std::vector<Section> sections_;
    std::string trailingByte_; // an odd last byte of a UTF-16 file, kept as it was
    bool lossless_ = true;     // whether serialize() gives back the bytes parsed
};

// Compares names the way the profile functions do: without regard to the
// letter case of A to Z, and only up to a zero character.
bool profileNamesEqual(std::u16string_view a, std::u16string_view b) noexcept;

} // namespace launcher
