#include "platform/text.h"

namespace launcher::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one UTF-8 sequence at `at`; an invalid sequence yields the replacement
// character and consumes one byte.
char32_t decodeUtf8(std::string_view text, size_t& at) {
    auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    size_t extra = (lead & 0xE0) == 0xC0   ? 1
                   : (lead & 0xF0) == 0xE0 ? 2
                   : (lead & 0xF8) == 0xF0 ? 3
                                           : 0;
    if (extra == 0 || at + extra >= text.size()) {
        ++at;
        return kReplacement;
    }
    char32_t value = lead & (0x3F >> extra);
    for (size_t i = 1; i <= extra; ++i) {
        auto next = static_cast<unsigned char>(text[at + i]);
        if (!isContinuation(next)) {
            ++at;
            return kReplacement;
        }
        value = (value << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (value < kMinimum[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++at;
        return kReplacement;
    }
    at += extra + 1;
    return value;
}

} // namespace

WideString utf8ToWide(std::string_view utf8) {
    std::u16string wide;
    wide.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        char32_t value = decodeUtf8(utf8, at);
        if (value >= 0x10000) {
            value -= 0x10000;
            wide.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(value));
        }
    }
    return WideString(std::u16string_view(wide));
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

namespace launcher::platform {

bool isWindowsRuntimeSpace(char16_t unit) noexcept {
    return (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0xA0 || unit == 0x1680 ||
           (unit >= 0x2000 && unit <= 0x200A) || unit == 0x2028 || unit == 0x2029 ||
           unit == 0x202F || unit == 0x205F || unit == 0x3000;
}

} // namespace launcher::platform
