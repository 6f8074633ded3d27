// UTF-8 conversions written out, giving the Windows converter's replacements.
#include "platform/text.h"

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

std::string wideToUtf8(std::u16string_view wide) {
    std::string narrow;
    narrow.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t value = wide[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (value >= 0xD800 && value <= 0xDFFF) {
            narrow.push_back('?'); // a lone surrogate has no encoding
            continue;
        }
        if (value < 0x80) {
            narrow.push_back(static_cast<char>(value));
        } else if (value < 0x800) {
            narrow.push_back(static_cast<char>(0xC0 | (value >> 6)));
            narrow.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        } else if (value < 0x10000) {
            narrow.push_back(static_cast<char>(0xE0 | (value >> 12)));
            narrow.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        } else {
            narrow.push_back(static_cast<char>(0xF0 | (value >> 18)));
            narrow.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
    }
    return narrow;
}

} // namespace launcher::platform
