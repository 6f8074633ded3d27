#include "config/ini_document.h"

#include "platform/text.h"

#include <algorithm>

namespace launcher {

namespace {

// Characters 0x80 to 0x9F of Windows-1252; the rest of the code page is Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isValidUtf8(std::string_view bytes) {
    std::u16string_view decoded = platform::utf8ToWide(bytes).view();
    // A replacement character that was not written as such marks invalid input.
    size_t written = 0;
    for (size_t at = 0; (at = bytes.find("\xEF\xBF\xBD", at)) != std::string_view::npos; at += 3) {
        ++written;
    }
    return static_cast<size_t>(std::count(decoded.begin(), decoded.end(), u'\uFFFD')) == written;
}

std::u16string decodeWindows1252(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        auto unit = static_cast<unsigned char>(byte);
        text.push_back(unit >= 0x80 && unit < 0xA0 ? kWindows1252High[unit - 0x80] : unit);
    }
    return text;
}

std::string encodeWindows1252(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            bytes.push_back(static_cast<char>(unit));
            continue;
        }
        const char16_t* found =
            std::find(std::begin(kWindows1252High), std::end(kWindows1252High), unit);
        bytes.push_back(found == std::end(kWindows1252High)
                            ? '?'
                            : static_cast<char>(0x80 + (found - std::begin(kWindows1252High))));
    }
    return bytes;
}

bool isProfileSpace(char16_t unit) { return platform::isWindowsRuntimeSpace(unit); }

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

// Simple upper-case mapping of the alphabets a settings file is likely to use.
char16_t foldCase(char16_t unit) {
    if ((unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) ||
        (unit >= 0x3B1 && unit <= 0x3C9 && unit != 0x3C2) || (unit >= 0x430 && unit <= 0x44F)) {
        return static_cast<char16_t>(unit - 0x20);
    }
    if (unit >= 0x450 && unit <= 0x45F) {
        return static_cast<char16_t>(unit - 0x50);
    }
    if (unit >= 0x100 && unit <= 0x17F && unit != 0x130 && unit != 0x131 && unit != 0x138 &&
        unit != 0x149 && unit != 0x17F) {
        // Latin Extended-A pairs upper and lower case in neighbouring code points.
        bool oddIsLower = (unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E);
        bool isLower = oddIsLower ? (unit % 2 == 0) : (unit % 2 == 1);
        return isLower ? static_cast<char16_t>(unit - 1) : unit;
    }
    return unit;
}

} // namespace

bool profileNamesEqual(std::u16string_view a, std::u16string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

IniDocument IniDocument::parse(std::string_view bytes) {
    IniDocument document;
    std::u16string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        document.encoding_ = Encoding::Utf16LittleEndian;
        for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                                 (static_cast<unsigned char>(bytes[at + 1]) << 8)));
        }
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        document.encoding_ = Encoding::Utf8WithBom;
        text = platform::utf8ToWide(bytes.substr(3)).view();
    } else if (isValidUtf8(bytes)) {
        text = platform::utf8ToWide(bytes).view();
    } else {
        document.encoding_ = Encoding::Windows1252;
        text = decodeWindows1252(bytes);
    }
    std::u16string_view rest(text);
    while (!rest.empty()) {
        size_t end = rest.find_first_of(u"\r\n");
        Line line{std::u16string(rest.substr(0, end)), u""};
        if (end != std::u16string_view::npos) {
            size_t endingLength = rest.substr(end).starts_with(u"\r\n") ? 2 : 1;
            line.ending = rest.substr(end, endingLength);
            rest.remove_prefix(end + endingLength);
        } else {
            rest = {};
        }
        document.lines_.push_back(std::move(line));
    }
    document.index();
    return document;
}

void IniDocument::index() {
    sections_.clear();
    Section* current = nullptr;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::u16string_view line = trimmed(lines_[i].text);
        if (line.empty()) {
            continue;
        }
        if (line.front() == u'[') {
            size_t close = line.find(u']');
            if (close != std::u16string_view::npos) {
                current = &sections_.emplace_back(Section{line.substr(1, close - 1), i, {}});
                continue;
            }
        }
        if (current == nullptr) {
            continue;
        }
        size_t equals = line.find(u'=');
        KeyLine key{i, trimmed(line.substr(0, equals)), {}, equals != std::u16string_view::npos};
        if (key.hasValue) {
            key.value = trimmed(line.substr(equals + 1));
        }
        current->keys.push_back(key);
    }
}

const IniDocument::Section* IniDocument::findSection(std::u16string_view name) const {
    auto found = std::find_if(sections_.begin(), sections_.end(), [&](const Section& section) {
        return profileNamesEqual(section.name, name);
    });
    return found == sections_.end() ? nullptr : &*found;
}

bool IniDocument::getValue(std::u16string_view section, std::u16string_view key,
                           WideString& value) const {
    const Section* found = findSection(section);
    if (found == nullptr) {
        return false;
    }
    for (const KeyLine& line : found->keys) {
        if (!profileNamesEqual(line.name, key)) {
            continue;
        }
        std::u16string_view text = line.value;
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
        names.emplace_back(section.name);
    }
    return names;
}

std::u16string IniDocument::lineEnding() const {
    for (const Line& line : lines_) {
        if (!line.ending.empty()) {
            return line.ending;
        }
    }
    return u"\r\n";
}

bool IniDocument::setValue(std::u16string_view section, std::u16string_view key,
                           std::u16string_view value) {
    if (value.find_first_of(u"\r\n") != std::u16string_view::npos ||
        key.find_first_of(u"\r\n=") != std::u16string_view::npos ||
        section.find_first_of(u"\r\n]") != std::u16string_view::npos) {
        return false;
    }
    std::u16string entry = std::u16string(key) + u"=" + std::u16string(value);
    const Section* found = findSection(section);
    if (found != nullptr) {
        for (const KeyLine& line : found->keys) {
            if (profileNamesEqual(line.name, key)) {
                lines_[line.line].text = entry;
                index();
                return true;
            }
        }
        // After the section's last entry, or right after its header.
        size_t after = found->keys.empty() ? found->headerLine : found->keys.back().line;
        std::u16string ending = lineEnding();
        if (lines_[after].ending.empty()) {
            lines_[after].ending = ending;
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after) + 1, Line{entry, ending});
        index();
        return true;
    }
    std::u16string ending = lineEnding();
    if (!lines_.empty() && lines_.back().ending.empty()) {
        lines_.back().ending = ending;
    }
    lines_.push_back(Line{u"[" + std::u16string(section) + u"]", ending});
    lines_.push_back(Line{entry, ending});
    index();
    return true;
}

std::string IniDocument::serialize() const {
    std::u16string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.ending;
    }
    switch (encoding_) {
    case Encoding::Utf16LittleEndian: {
        std::string bytes = "\xFF\xFE";
        for (char16_t unit : text) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
        return bytes;
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
