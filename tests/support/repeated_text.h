// Long texts for tests: a pattern repeated and cut to an exact length.
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

} // namespace launcher::testing
