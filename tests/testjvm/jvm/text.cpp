// Text conversions of the test JVM: UTF-16, modified UTF-8 and narrow text.
#include "text.h"

namespace testjvm {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendCodePoint(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t point) {
    if (point < 0x10000) {
        out += static_cast<char16_t>(point);
    } else {
        point -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (point >> 10));
        out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
    }
}

// Walks UTF-16 text by code point; `lone` receives unpaired surrogates.
template <class Paired, class Lone>
void forEachCodePoint(std::u16string_view text, Paired paired, Lone lone) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            paired(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            lone(static_cast<char16_t>(unit));
        } else {
            paired(unit);
        }
    }
}

unsigned continuation(std::string_view text, size_t at) {
    if (at >= text.size()) {
        return 0x100;
    }
    auto byte = static_cast<unsigned char>(text[at]);
    return (byte & 0xC0) == 0x80 ? (byte & 0x3Fu) : 0x100u;
}

} // namespace

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    forEachCodePoint(
        text, [&](char32_t point) { appendCodePoint(out, point); }, [&](char16_t) { out += '?'; });
    return out;
}

std::u16string fromUtf8(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (lead > 0xF4) {
            length = 0;
        }
        char32_t point = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
        bool valid = length != 0;
        for (size_t k = 1; valid && k < length; ++k) {
            unsigned bits = continuation(text, i + k);
            valid = bits != 0x100;
            point = (point << 6) | (bits & 0x3F);
        }
        char32_t smallest = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        if (!valid || point < smallest || point > 0x10FFFF ||
            (point >= 0xD800 && point <= 0xDFFF)) {
            out += kReplacement;
            ++i;
            continue;
        }
        appendUtf16(out, point);
        i += length;
    }
    return out;
}

std::string toModifiedUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        if (unit == 0) {
            out += "\xC0\x80";
        } else {
            appendCodePoint(out, unit);
        }
    }
    return out;
}

std::u16string fromModifiedUtf8(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead != 0 && lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            unsigned bits = continuation(text, i + 1);
            char16_t unit = static_cast<char16_t>(((lead & 0x1Fu) << 6) | (bits & 0x3F));
            // Two bytes hold U+0000 (as C0 80) and U+0080 to U+07FF, nothing else.
            if (bits != 0x100 && (unit == 0 || unit >= 0x80)) {
                out += unit;
                i += 2;
                continue;
            }
        } else if ((lead & 0xF0) == 0xE0) {
            unsigned second = continuation(text, i + 1);
            unsigned third = continuation(text, i + 2);
            char16_t unit = static_cast<char16_t>(((lead & 0x0Fu) << 12) | ((second & 0x3F) << 6) |
                                                  (third & 0x3F));
            if (second != 0x100 && third != 0x100 && unit >= 0x800) {
                out += unit;
                i += 3;
                continue;
            }
        }
        out += kReplacement;
        ++i;
    }
    return out;
}

std::string escapeForRecord(std::u16string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    auto escapeUnit = [&](char16_t unit) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) {
            out += digits[(unit >> shift) & 0xF];
        }
    };
    forEachCodePoint(
        text,
        [&](char32_t point) {
            if (point == '\\') {
                out += "\\\\";
            } else if (point == '\n') {
                out += "\\n";
            } else if (point == '\r') {
                out += "\\r";
            } else if (point == '\t') {
                out += "\\t";
            } else if (point < 0x20) {
                escapeUnit(static_cast<char16_t>(point));
            } else {
                appendCodePoint(out, point);
            }
        },
        escapeUnit);
    return out;
}

std::string hex32(uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        out += digits[(value >> shift) & 0xF];
    }
    return out;
}

} // namespace testjvm
