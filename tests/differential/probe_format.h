// The line format in which the probes under Wine and the Linux side exchange
// requests and answers. Each line is tab-separated fields of UTF-16 text;
// control characters (C0 and C1), the backslash and every surrogate are written as \uXXXX
// so that a field never holds a raw tab or line break and any code unit
// survives the trip, whatever the probe's C runtime thinks of UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher::probe {

inline void appendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

inline std::string escapeField(std::u16string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char16_t unit : text) {
        if (unit < 0x20 || (unit >= 0x7F && unit < 0xA0) || unit == u'\\' ||
            (unit >= 0xD800 && unit <= 0xDFFF)) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out.push_back(kHex[(unit >> shift) & 0xF]);
            }
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// The reverse of escapeField; the input is what escapeField wrote, so only
// sequences of up to three bytes occur.
inline std::u16string unescapeField(std::string_view field) {
    std::u16string out;
    for (size_t at = 0; at < field.size();) {
        auto lead = static_cast<unsigned char>(field[at]);
        if (lead == '\\' && at + 6 <= field.size() && field[at + 1] == 'u') {
            char16_t unit = 0;
            for (size_t i = at + 2; i < at + 6; ++i) {
                char digit = field[i];
                unit = static_cast<char16_t>(unit * 16 +
                                             (digit <= '9' ? digit - '0' : digit - 'A' + 10));
            }
            out.push_back(unit);
            at += 6;
        } else if (lead < 0x80) {
            out.push_back(lead);
            ++at;
        } else if (lead < 0xE0 && at + 1 < field.size()) {
            out.push_back(static_cast<char16_t>(((lead & 0x1F) << 6) | (field[at + 1] & 0x3F)));
            at += 2;
        } else if (at + 2 < field.size()) {
            out.push_back(static_cast<char16_t>(
                ((lead & 0x0F) << 12) | ((field[at + 1] & 0x3F) << 6) | (field[at + 2] & 0x3F)));
            at += 3;
        } else {
            break;
        }
    }
    return out;
}

inline std::string formatLine(const std::vector<std::u16string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line.push_back('\t');
        }
        line += escapeField(fields[i]);
    }
    line.push_back('\n');
    return line;
}

inline std::vector<std::u16string> parseLine(std::string_view line) {
    std::vector<std::u16string> fields;
    for (;;) {
        size_t tab = line.find('\t');
        fields.push_back(unescapeField(line.substr(0, tab)));
        if (tab == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(tab + 1);
    }
}

// The lines of a whole request or answer, without their line feeds.
inline std::vector<std::vector<std::u16string>> parseLines(std::string_view text) {
    std::vector<std::vector<std::u16string>> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines.push_back(parseLine(line));
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace launcher::probe
