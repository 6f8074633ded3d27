// The Linux INI reader and writer, following the Windows private-profile rules.
#include "config/ini_document.h"

#include "platform/text.h"

#include <algorithm>

namespace launcher {

namespace {

// Characters 0x80 to 0x9F of Windows-1252; the rest of the code page is Latin-1.
// The five bytes the code page leaves undefined keep their own code points, as
// the platform's conversion does, so every byte survives a round trip.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::u16string decodeWindows1252(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        auto unit = static_cast<unsigned char>(byte);
        text.push_back(unit >= 0x80 && unit < 0xA0 ? kWindows1252High[unit - 0x80] : unit);
    }
    return text;
}

// The byte of a unit in Windows-1252, or -1 when the code page has none.
int windows1252Byte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return unit;
    }
    const char16_t* found =
        std::find(std::begin(kWindows1252High), std::end(kWindows1252High), unit);
    return found == std::end(kWindows1252High)
               ? -1
               : 0x80 + static_cast<int>(found - std::begin(kWindows1252High));
}

std::string encodeWindows1252(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t unit : text) {
        int byte = windows1252Byte(unit);
        bytes.push_back(static_cast<char>(byte < 0 ? '?' : byte));
    }
    return bytes;
}

bool isSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Whether every surrogate has its partner, so that the text has a UTF-8 form.
bool hasUtf8Form(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!isSurrogate(text[i])) {
            continue;
        }
        if (text[i] > 0xDBFF || i + 1 >= text.size() || text[i + 1] < 0xDC00 ||
            text[i + 1] > 0xDFFF) {
            return false;
        }
        ++i;
    }
    return true;
}

// The platform's blanks around lines, names and values: the ASCII controls tab
// to carriage return, the blank, and ^Z, the old end-of-file mark.
bool isProfileSpace(char16_t unit) {
    return (unit >= 0x09 && unit <= 0x0D) || unit == 0x1A || unit == 0x20;
}

// The platform hands names and values around as zero-terminated strings.
std::u16string_view untilZero(std::u16string_view text) {
    return text.substr(0, std::min(text.find(u'\0'), text.size()));
}

std::u16string_view trimmed(std::u16string_view text) {
    size_t start = 0;
    while (start < text.size() && isProfileSpace(text[start])) {
        ++start;
    }
    size_t end = text.size();
    while (end > start && isProfileSpace(text[end - 1])) {
        --end;
    }
    return text.substr(start, end - start);
}

// How many lines the text has at most: one more than its line endings.
size_t lineCount(std::u16string_view text) {
    size_t count = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))) {
            ++count;
        }
    }
    return count;
}

char16_t foldAsciiCase(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
}

} // namespace

bool profileNamesEqual(std::u16string_view a, std::u16string_view b) noexcept {
    a = untilZero(a);
    b = untilZero(b);
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return foldAsciiCase(x) == foldAsciiCase(y); });
}

IniDocument IniDocument::parse(std::string_view bytes) {
    return parse(bytes, true);
}

IniDocument IniDocument::parseForReading(std::string_view bytes) {
    return parse(bytes, false);
}

IniDocument IniDocument::parse(std::string_view bytes, bool checkLossless) {
    IniDocument document;
    std::u16string& text = document.text_;
    auto byteAt = [&](size_t at) {
        return static_cast<unsigned char>(bytes[at]);
    };
    bool littleEndian = bytes.size() >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE;
    bool bigEndian = bytes.size() >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        document.encoding_ = Encoding::Utf8WithBom;
        bool valid = true;
        text = platform::decodeUtf8(bytes.substr(3), valid);
    } else if (littleEndian || bigEndian) {
        document.encoding_ = littleEndian ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
        size_t low = littleEndian ? 0 : 1;
        size_t at = 2;
        text.reserve(bytes.size() / 2);
        for (; at + 1 < bytes.size(); at += 2) {
            text.push_back(static_cast<char16_t>(byteAt(at + low) | (byteAt(at + 1 - low) << 8)));
        }
        document.trailingByte_ = bytes.substr(at);
    } else {
        bool valid = true;
        text = platform::decodeUtf8(bytes, valid);
        if (!valid) {
            document.encoding_ = Encoding::Windows1252;
            text = decodeWindows1252(bytes);
        }
    }
    text.shrink_to_fit();
    document.index();
    document.lossless_ = checkLossless && document.serialize() == bytes;
    return document;
}

// A line ends at the first CR or LF, or after 4 G characters, where the 32-bit
// positions within it end (over 8 GB of text); its ending is CR LF or the
// single break.
std::u16string_view IniDocument::lineText(size_t start) const {
    std::u16string_view rest = std::u16string_view(text_).substr(start);
    size_t end = std::min<size_t>(rest.find_first_of(u"\r\n"), rest.size());
    return rest.substr(0, std::min<size_t>(end, UINT32_MAX));
}

std::u16string_view IniDocument::lineEndingAfter(std::u16string_view line) const {
    size_t end = static_cast<size_t>(line.data() - text_.data()) + line.size();
    std::u16string_view rest = std::u16string_view(text_).substr(end);
    if (rest.starts_with(u"\r\n")) {
        return rest.substr(0, 2);
    }
    return rest.empty() || (rest[0] != u'\r' && rest[0] != u'\n') ? rest.substr(0, 0)
                                                                  : rest.substr(0, 1);
}

// Follows the platform's reading: every run of line breaks ends a line; lines
// are stripped of blanks; a line that starts with "[" and holds a "]" is a
// header naming what lies between the "[" and the last "]", blanks stripped;
// any other line is a key, with a value when it holds "=". Keys before the
// first header belong to a nameless section that always comes first. A
// nameless key right after another key without a name is dropped.
void IniDocument::index() {
    sections_.clear();
    keys_.clear();
    // At most one key a line: reserved once, the index never holds a second copy.
    keys_.reserve(lineCount(text_));
    sections_.push_back(Section{kNoLine, 0, 0, 0, 0});
    for (size_t lineStart = 0; lineStart < text_.size();) {
        std::u16string_view text = lineText(lineStart);
        size_t next = lineStart + text.size() + lineEndingAfter(text).size();
        uint32_t start = 0;
        uint32_t end = static_cast<uint32_t>(text.size());
        while (start < end && isProfileSpace(text[start])) {
            ++start;
        }
        while (end > start && isProfileSpace(text[end - 1])) {
            --end;
        }
        if (start == end) {
            lineStart = next;
            continue;
        }
        if (text[start] == u'[') {
            size_t close = text.substr(0, end).rfind(u']');
            if (close != std::u16string_view::npos && close > start) {
                uint32_t nameStart = start + 1;
                auto nameEnd = static_cast<uint32_t>(close);
                while (nameStart < nameEnd && isProfileSpace(text[nameStart])) {
                    ++nameStart;
                }
                while (nameEnd > nameStart && isProfileSpace(text[nameEnd - 1])) {
                    --nameEnd;
                }
                sections_.push_back(
                    Section{lineStart, nameStart, nameEnd, keys_.size(), keys_.size()});
                lineStart = next;
                continue;
            }
        }
        KeyLine key{lineStart, start, end, kNoValue, end};
        size_t equals = text.substr(0, end).find(u'=', start);
        if (equals != std::u16string_view::npos) {
            key.nameEnd = static_cast<uint32_t>(equals);
            while (key.nameEnd > start && isProfileSpace(text[key.nameEnd - 1])) {
                --key.nameEnd;
            }
            key.valueStart = static_cast<uint32_t>(equals + 1);
            while (key.valueStart < end && isProfileSpace(text[key.valueStart])) {
                ++key.valueStart;
            }
        }
        lineStart = next;
        Section& section = sections_.back();
        if (key.nameEnd == key.nameStart && section.endKey > section.firstKey) {
            const KeyLine& previous = keys_.back();
            if (previous.nameEnd == previous.nameStart ||
                lineText(previous.lineStart)[previous.nameStart] == u'\0') {
                continue;
            }
        }
        keys_.push_back(key);
        section.endKey = keys_.size();
    }
}

std::u16string_view IniDocument::sectionName(const Section& section) const {
    if (section.headerLine == kNoLine) {
        return {};
    }
    std::u16string_view text = lineText(section.headerLine);
    return untilZero(text.substr(section.nameStart, section.nameEnd - section.nameStart));
}

std::u16string_view IniDocument::keyName(const KeyLine& key) const {
    std::u16string_view text = lineText(key.lineStart);
    return untilZero(text.substr(key.nameStart, key.nameEnd - key.nameStart));
}

std::u16string_view IniDocument::keyValue(const KeyLine& key) const {
    std::u16string_view text = lineText(key.lineStart);
    return untilZero(text.substr(key.valueStart, key.valueEnd - key.valueStart));
}

const IniDocument::Section* IniDocument::findSection(std::u16string_view trimmedName) const {
    auto found = std::find_if(sections_.begin(), sections_.end(), [&](const Section& section) {
        return profileNamesEqual(sectionName(section), trimmedName);
    });
    return found == sections_.end() ? nullptr : &*found;
}

bool IniDocument::getValue(std::u16string_view section, std::u16string_view key,
                           WideString& value) const {
    const Section* found = findSection(trimmed(untilZero(section)));
    if (found == nullptr) {
        return false;
    }
    std::u16string_view wanted = trimmed(untilZero(key));
    for (size_t k = found->firstKey; k < found->endKey; ++k) {
        const KeyLine& line = keys_[k];
        if (!profileNamesEqual(keyName(line), wanted)) {
            continue;
        }
        std::u16string_view text = line.hasValue() ? keyValue(line) : std::u16string_view();
        if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') &&
            text.back() == text.front()) {
            text = text.substr(1, text.size() - 2);
        }
        value = WideString(text);
        return true;
    }
    return false;
}

WideStringList IniDocument::sectionNames() const {
    WideStringList names;
    for (const Section& section : sections_) {
        if (!sectionName(section).empty()) {
            names.emplace_back(sectionName(section));
        }
    }
    return names;
}

WideStringList IniDocument::keyNames(std::u16string_view section) const {
    WideStringList names;
    auto found = std::find_if(sections_.begin(), sections_.end(), [&](const Section& candidate) {
        return profileNamesEqual(sectionName(candidate), section);
    });
    if (found == sections_.end()) {
        return names;
    }
    for (size_t k = found->firstKey; k < found->endKey; ++k) {
        std::u16string_view name = keyName(keys_[k]);
        if (keys_[k].hasValue() && !name.starts_with(u';')) {
            names.emplace_back(name);
        }
    }
    // The list is handed over zero-separated, so a nameless first key makes it
    // read as empty.
    if (!names.empty() && names.front().empty()) {
        names.clear();
    }
    return names;
}

std::u16string IniDocument::lineEnding() const {
    size_t first = text_.find_first_of(u"\r\n");
    if (first == std::u16string::npos) {
        return u"\r\n";
    }
    return std::u16string_view(text_).substr(first).starts_with(u"\r\n") ? u"\r\n"
                                                                         : text_.substr(first, 1);
}

bool IniDocument::representable(std::u16string_view text) const {
    switch (encoding_) {
    case Encoding::Utf16LittleEndian:
    case Encoding::Utf16BigEndian:
        return true;
    case Encoding::Windows1252:
        return std::all_of(text.begin(), text.end(),
                           [](char16_t unit) { return windows1252Byte(unit) >= 0; });
    case Encoding::Utf8:
    case Encoding::Utf8WithBom:
        break;
    }
    return hasUtf8Form(text);
}

bool IniDocument::setValue(std::u16string_view section, std::u16string_view key,
                           std::u16string_view value) {
    std::u16string_view sectionText = trimmed(section);
    std::u16string_view keyText = trimmed(key);
    auto breaksLines = [](std::u16string_view text) {
        return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
    };
    if (!lossless_ || sectionText.empty() || keyText.empty() || breaksLines(sectionText) ||
        breaksLines(keyText) || breaksLines(value) ||
        keyText.find(u'=') != std::u16string_view::npos || keyText.front() == u'[' ||
        !representable(sectionText) || !representable(keyText) || !representable(value)) {
        return false;
    }

    // The new text: the old one with one line changed, or one or two lines put in.
    std::u16string ending = lineEnding();
    const Section* found = findSection(sectionText);
    const KeyLine* existing = nullptr;
    if (found != nullptr) {
        for (size_t k = found->firstKey; k < found->endKey; ++k) {
            if (profileNamesEqual(keyName(keys_[k]), keyText)) {
                existing = &keys_[k];
                break;
            }
        }
    }
    std::u16string_view all(text_);
    std::u16string text;
    text.reserve(text_.size() + sectionText.size() + keyText.size() + value.size() + 8);
    if (existing != nullptr) {
        // The name and whatever stood before the value stay as written.
        std::u16string_view line = lineText(existing->lineStart);
        size_t cut =
            existing->lineStart + (existing->hasValue() ? existing->valueStart : existing->nameEnd);
        text.append(all.substr(0, cut));
        if (!existing->hasValue()) {
            text += u'=';
        }
        text.append(value);
        text.append(all.substr(existing->lineStart + line.size()));
    } else {
        std::u16string entry = std::u16string(keyText) + u"=" + std::u16string(value);
        if (found != nullptr) {
            size_t after = found->endKey == found->firstKey ? found->headerLine
                                                            : keys_[found->endKey - 1].lineStart;
            std::u16string_view line = lineText(after);
            size_t lineBreak = lineEndingAfter(line).size();
            size_t lineEnd = after + line.size() + lineBreak;
            text.append(all.substr(0, lineEnd));
            if (lineBreak == 0) {
                text += ending;
            }
            text += entry;
            text += ending;
            text.append(all.substr(lineEnd));
        } else {
            text.append(all);
            if (!all.empty() && all.back() != u'\r' && all.back() != u'\n') {
                text += ending;
            }
            text += u"[";
            text.append(sectionText);
            text += u"]";
            text += ending;
            text += entry;
            text += ending;
        }
    }
    IniDocument changed;
    changed.encoding_ = encoding_;
    changed.trailingByte_ = trailingByte_;
    changed.lossless_ = lossless_;
    changed.text_ = std::move(text);
    changed.index();
    // A Windows-1252 file whose bytes happen to become valid UTF-8 would be
    // read differently next time; such a change is refused.
    if (parse(changed.serialize()).encoding_ != encoding_) {
        return false;
    }
    *this = std::move(changed);
    return true;
}

std::string IniDocument::serialize() const {
    const std::u16string& text = text_;
    switch (encoding_) {
    case Encoding::Utf16LittleEndian:
    case Encoding::Utf16BigEndian: {
        bool little = encoding_ == Encoding::Utf16LittleEndian;
        std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        bytes.reserve(2 + text.size() * 2 + trailingByte_.size());
        for (char16_t unit : text) {
            char low = static_cast<char>(unit & 0xFF);
            char high = static_cast<char>(unit >> 8);
            bytes.push_back(little ? low : high);
            bytes.push_back(little ? high : low);
        }
        return bytes + trailingByte_;
    }
    case Encoding::Utf8WithBom:
        return "\xEF\xBB\xBF" + platform::wideToUtf8(text);
    case Encoding::Windows1252:
        return encodeWindows1252(text);
    case Encoding::Utf8:
        break;
    }
    return platform::wideToUtf8(text);
}

} // namespace launcher
