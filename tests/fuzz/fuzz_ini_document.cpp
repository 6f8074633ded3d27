// Fuzzes the INI reader and writer: any bytes parse and serialize to bytes
// that read back to the same answers; and after one value is set, the written
// bytes differ from the old ones within one line only, and read back to the
// same answers for every other key and to the new value for the one that was set.
//
// Input: the file's bytes, then, after the last line "==set==" (when there is
// one), the section, key and value to set, separated by '|' and read as UTF-8.
#include "config/ini_document.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using launcher::IniDocument;
using launcher::WideString;
using launcher::WideStringList;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct Answer {
    std::u16string section;
    std::u16string key;
    std::u16string value;
};

std::u16string valueOf(const IniDocument& document, std::u16string_view section,
                       std::u16string_view key) {
    WideString value;
    document.getValue(section, key, value);
    return std::u16string(value.view());
}

// Every value the document lists, asked for under the names it lists.
std::vector<Answer> answersOf(const IniDocument& document) {
    std::vector<Answer> answers;
    WideStringList sections = document.sectionNames();
    sections.emplace_back(u"");
    for (const WideString& section : sections) {
        for (const WideString& key : document.keyNames(section)) {
            answers.push_back({std::u16string(section.view()), std::u16string(key.view()),
                               valueOf(document, section, key)});
        }
    }
    return answers;
}

std::vector<std::string_view> fieldsOf(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        size_t separator = text.find('|');
        fields.push_back(text.substr(0, separator));
        if (separator == std::string_view::npos) {
            return fields;
        }
        text.remove_prefix(separator + 1);
    }
}

// The platform's blanks around names, which the lookup drops.
std::u16string_view profileTrimmed(std::u16string_view text) {
    auto blank = [](char16_t unit) {
        return (unit >= 0x09 && unit <= 0x0D) || unit == 0x1A || unit == 0x20;
    };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The file's code units: bytes, or pairs of bytes after a UTF-16 byte-order mark.
std::u16string unitsOf(std::string_view bytes, IniDocument::Encoding encoding) {
    std::u16string units;
    bool little = encoding == IniDocument::Encoding::Utf16LittleEndian;
    if (little || encoding == IniDocument::Encoding::Utf16BigEndian) {
        for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
            auto first = static_cast<unsigned char>(bytes[at]);
            auto second = static_cast<unsigned char>(bytes[at + 1]);
            units.push_back(
                static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second));
        }
        return units;
    }
    for (char byte : bytes) {
        units.push_back(static_cast<unsigned char>(byte));
    }
    return units;
}

// Whatever the old bytes lose lies within one line of them.
void checkOneLineChanged(std::string_view before, std::string_view after,
                         IniDocument::Encoding encoding) {
    std::u16string old = unitsOf(before, encoding);
    std::u16string now = unitsOf(after, encoding);
    size_t prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) {
        ++prefix;
    }
    size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
        ++suffix;
    }
    std::u16string_view lost =
        std::u16string_view(old).substr(prefix, old.size() - prefix - suffix);
    check(lost.find_first_of(u"\r\n") == std::u16string_view::npos);
}

std::u16string wide(std::string_view utf8) {
    return std::u16string(launcher::platform::utf8ToWide(utf8).view());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kMarker = "\n==set==";
    size_t split = input.rfind(kMarker);
    std::string_view bytes = input.substr(0, split);
    std::vector<std::string_view> change = split == std::string_view::npos
                                               ? std::vector<std::string_view>{}
                                               : fieldsOf(input.substr(split + kMarker.size()));

    IniDocument document = IniDocument::parse(bytes);
    std::vector<Answer> before = answersOf(document);
    std::string written = document.serialize();
    IniDocument reread = IniDocument::parse(written);
    check(reread.encoding() == document.encoding());
    check(reread.serialize() == written);
    for (const Answer& answer : before) {
        check(valueOf(reread, answer.section, answer.key) == answer.value);
    }

    std::u16string section = change.size() > 0 ? wide(change[0]) : u"Fuzz";
    std::u16string key = change.size() > 1 ? wide(change[1]) : u"Key";
    std::u16string value = change.size() > 2 ? wide(change[2]) : u"value";
    if (!document.setValue(section, key, value)) {
        check(document.serialize() == written);
        return 0;
    }
    checkOneLineChanged(bytes, document.serialize(), document.encoding());
    IniDocument changed = IniDocument::parse(document.serialize());
    check(changed.encoding() == document.encoding());
    check(valueOf(changed, section, key) == valueOf(document, section, key));
    // What the platform makes of the written value: blanks and one pair of
    // quotes gone.
    IniDocument alone = IniDocument::parse(launcher::platform::wideToUtf8(u"[s]\r\nk=" + value));
    check(valueOf(changed, section, key) == valueOf(alone, u"s", u"k"));
    for (const Answer& answer : before) {
        bool touched =
            launcher::profileNamesEqual(profileTrimmed(answer.section), profileTrimmed(section)) &&
            launcher::profileNamesEqual(profileTrimmed(answer.key), profileTrimmed(key));
        if (!touched) {
            check(valueOf(changed, answer.section, answer.key) == answer.value);
        }
    }
    return 0;
}
