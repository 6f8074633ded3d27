// The private-profile file format read and changed the way the Windows
// private-profile functions do, for systems that do not have them.
#pragma once

#include "core/wide_string.h"

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

class IniDocument {
public:
    enum class Encoding { Utf8, Utf8WithBom, Windows1252, Utf16LittleEndian };

    IniDocument() = default;
    // The index points into the lines: copies would point into the original.
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;
    IniDocument(IniDocument&&) = default;
    IniDocument& operator=(IniDocument&&) = default;

    // Decodes the file's bytes: UTF-16LE with its byte-order mark, UTF-8 with or
    // without one, and, for bytes that are not UTF-8, the Windows-1252 code page.
    static IniDocument parse(std::string_view bytes);

    // Section and key names match without regard to case and the first of
    // duplicates wins. The value loses surrounding blanks and one pair of
    // enclosing quotes. False when the key is absent.
    bool getValue(std::u16string_view section, std::u16string_view key, WideString& value) const;
    WideStringList sectionNames() const;

    // Sets one value, keeping every other line, comment, line ending and the
    // encoding as they were. False for a value that would span lines.
    bool setValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    // The bytes of the document in its encoding.
    std::string serialize() const;

private:
    struct Line {
        std::u16string text;   // without its line ending
        std::u16string ending; // "\r\n", "\n", "\r" or empty for the last line
    };
    struct KeyLine {
        size_t line;
        std::u16string_view name;
        std::u16string_view value;
        bool hasValue;
    };
    struct Section {
        std::u16string_view name;
        size_t headerLine;
        std::vector<KeyLine> keys;
    };

    void index();
    const Section* findSection(std::u16string_view name) const;
    std::u16string lineEnding() const;

    Encoding encoding_ = Encoding::Utf8;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};

// Compares names the way the profile functions do: case-insensitively, beyond ASCII.
bool profileNamesEqual(std::u16string_view a, std::u16string_view b) noexcept;

} // namespace launcher
