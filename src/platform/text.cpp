// UTF-8 conversions written out, giving the Windows converter's replacements.
#include "platform/text.h"

#include <algorithm>

namespace launcher::platform {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

} // namespace

// UTF-8 as the platform's converter reads it, so that a damaged file gives the
// same replacement characters: an impossible lead byte is one replacement; a
// sequence whose continuation turns out overlong, a surrogate or beyond
// U+10FFFF is one replacement for the bytes read so far; a missing
// continuation byte ends the sequence before that byte; the end of the input
// ends a sequence with one replacement.
std::u16string decodeUtf8(std::string_view bytes, bool& valid) {
    std::u16string text;
    text.reserve(bytes.size());
    valid = true;
    size_t at = 0;
    auto fail = [&] {
        text.push_back(kReplacement);
        valid = false;
    };
    while (at < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[at++]);
        if (lead < 0x80) {
            text.push_back(lead);
            continue;
        }
        int length = lead >= 0xC2 && lead <= 0xDF   ? 1
                     : lead >= 0xE0 && lead <= 0xEF ? 2
                     : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                    : 0;
        if (length == 0) {
            fail();
            continue;
        }
        static constexpr unsigned char kLeadMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
        char32_t value = lead & kLeadMask[length];
        bool complete = true;
        for (int read = 1; read <= length; ++read) {
            if (at >= bytes.size()) {
                complete = false;
                break;
            }
            unsigned char bits = static_cast<unsigned char>(bytes[at]) ^ 0x80;
            if (bits >= 0x40) {
                complete = false;
                break;
            }
            value = (value << 6) | bits;
            ++at;
            int remaining = length - read;
            if ((remaining == 2 && (value < 0x10 || value >= 0x110)) ||
                (remaining == 1 && (value < 0x20 || (value >= 0x360 && value < 0x380)))) {
                complete = false;
                break;
            }
        }
        if (!complete) {
            fail();
        } else if (value >= 0x10000) {
            value -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(value));
        }
    }
    return text;
}

WideString utf8ToWide(std::string_view utf8) {
    bool valid = true;
    return WideString(std::u16string_view(decodeUtf8(utf8, valid)));
}

namespace {

// The UTF-8 bytes of the character at wide[at] into `out` (4 bytes at most);
// advances `at` past it. A lone surrogate is "?", or, with `escapes`, one of
// U+DC80 to U+DCFF the byte it stands for.
size_t encodeCharacter(std::u16string_view wide, size_t& at, bool escapes, char (&out)[4]) {
    char32_t value = wide[at++];
    if (value >= 0xD800 && value <= 0xDBFF && at < wide.size() && wide[at] >= 0xDC00 &&
        wide[at] <= 0xDFFF) {
        value = 0x10000 + ((value - 0xD800) << 10) + (wide[at++] - 0xDC00);
    } else if (escapes && value >= 0xDC80 && value <= 0xDCFF) {
        out[0] = static_cast<char>(value - 0xDC00); // a byte of a file name
        return 1;
    } else if (value >= 0xD800 && value <= 0xDFFF) {
        out[0] = '?'; // a lone surrogate has no encoding
        return 1;
    }
    if (value < 0x80) {
        out[0] = static_cast<char>(value);
        return 1;
    }
    if (value < 0x800) {
        out[0] = static_cast<char>(0xC0 | (value >> 6));
        out[1] = static_cast<char>(0x80 | (value & 0x3F));
        return 2;
    }
    if (value < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (value >> 12));
        out[1] = static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (value & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (value >> 18));
    out[1] = static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (value & 0x3F));
    return 4;
}

std::string encodeUtf8(std::u16string_view wide, bool escapes) {
    std::string narrow;
    narrow.reserve(wide.size());
    char bytes[4];
    for (size_t at = 0; at < wide.size();) {
        narrow.append(bytes, encodeCharacter(wide, at, escapes, bytes));
    }
    return narrow;
}

// The length of the valid UTF-8 sequence at `at`, or 0 when there is none: no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
size_t validSequenceLength(std::string_view bytes, size_t at) {
    auto byte = [&](size_t index) -> unsigned char {
        return index < bytes.size() ? static_cast<unsigned char>(bytes[index]) : 0;
    };
    auto within = [](unsigned char value, unsigned char low, unsigned char high) {
        return value >= low && value <= high;
    };
    unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    if (within(lead, 0xC2, 0xDF)) {
        return within(byte(at + 1), 0x80, 0xBF) ? 2 : 0;
    }
    if (within(lead, 0xE0, 0xEF)) {
        unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return within(byte(at + 1), low, high) && within(byte(at + 2), 0x80, 0xBF) ? 3 : 0;
    }
    if (within(lead, 0xF0, 0xF4)) {
        unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return within(byte(at + 1), low, high) && within(byte(at + 2), 0x80, 0xBF) &&
                       within(byte(at + 3), 0x80, 0xBF)
                   ? 4
                   : 0;
    }
    return 0;
}

} // namespace

std::string wideToUtf8(std::u16string_view wide) {
    return encodeUtf8(wide, false);
}

std::string encodeUtf8Escaped(std::u16string_view wide) {
    return encodeUtf8(wide, true);
}

size_t encodeUtf8EscapedInto(std::u16string_view& wide, std::span<char> out) noexcept {
    size_t used = 0;
    size_t at = 0;
    char bytes[4];
    while (at < wide.size()) {
        size_t next = at;
        size_t count = encodeCharacter(wide, next, true, bytes);
        if (used + count > out.size()) {
            break;
        }
        std::copy(bytes, bytes + count, out.begin() + static_cast<ptrdiff_t>(used));
        used += count;
        at = next;
    }
    wide.remove_prefix(at);
    return used;
}

std::u16string decodeUtf8Escaped(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    size_t at = 0;
    while (at < bytes.size()) {
        size_t length = validSequenceLength(bytes, at);
        if (length == 0) {
            text.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        static constexpr unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
        char32_t value = static_cast<unsigned char>(bytes[at]) & kLeadMask[length];
        for (size_t i = 1; i < length; ++i) {
            value = (value << 6) | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
        }
        if (value >= 0x10000) {
            value -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(value));
        }
        at += length;
    }
    return text;
}

} // namespace launcher::platform
