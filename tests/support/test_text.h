// Texts for tests: long ones made of a repeated pattern, and files in UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace launcher::testing {

template <class Char>
std::basic_string<Char> repeatedText(std::basic_string_view<Char> pattern, size_t length) {
    std::basic_string<Char> text;
    while (text.size() < length) {
        text += pattern;
    }
    text.resize(length);
    return text;
}

inline std::string repeatedText(const char* pattern, size_t length) {
    return repeatedText(std::string_view(pattern), length);
}

inline std::u16string repeatedText(const char16_t* pattern, size_t length) {
    return repeatedText(std::u16string_view(pattern), length);
}

// The bytes of a UTF-16 file with its byte-order mark.
inline std::string utf16Bytes(std::u16string_view text, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : text) {
        char low = static_cast<char>(unit & 0xFF);
        char high = static_cast<char>(unit >> 8);
        bytes.push_back(littleEndian ? low : high);
        bytes.push_back(littleEndian ? high : low);
    }
    return bytes;
}

} // namespace launcher::testing
