// The message formatter: measures the result first, then fills it in one pass.
#include "base/text_format.h"

#include "base/launcher_error.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace launcher {

namespace {

// Walks the pattern once; with `out` null it only measures. Returns -1 when the
// pattern and the arguments do not fit together.
int64_t renderFormat(std::u16string_view pattern, std::initializer_list<FormatArgument> arguments,
                     char16_t* out) {
    int64_t written = 0;
    auto put = [&](std::u16string_view piece) {
        if (out != nullptr) {
            std::memcpy(out + written, piece.data(), piece.size() * sizeof(char16_t));
        }
        written += static_cast<int64_t>(piece.size());
    };
    const FormatArgument* next = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%') {
            put(pattern.substr(i, 1));
            continue;
        }
        if (++i == pattern.size()) {
            return -1;
        }
        char16_t conversion = pattern[i];
        if (conversion == u'%') {
            put(u"%");
            continue;
        }
        if (next == arguments.end()) {
            return -1;
        }
        const FormatArgument& argument = *next++;
        if (conversion == u's' && argument.isText()) {
            // %s stops at an embedded zero, as the C runtime does.
            std::u16string_view text = argument.text();
            put(text.substr(0, text.find(u'\0')));
        } else if (conversion == u'd' && !argument.isText()) {
            put(decimalText(int64_t{argument.number()}));
        } else {
            return -1;
        }
    }
    return written;
}

} // namespace

std::u16string decimalText(uint64_t number) {
    std::u16string digits;
    do {
        digits.push_back(static_cast<char16_t>(u'0' + number % 10));
        number /= 10;
    } while (number != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::u16string decimalText(int64_t number) {
    if (number >= 0) {
        return decimalText(static_cast<uint64_t>(number));
    }
    // The magnitude of the smallest value does not fit a signed number.
    std::u16string digits = decimalText(~static_cast<uint64_t>(number) + 1);
    digits.insert(digits.begin(), u'-');
    return digits;
}

WideString formatText(std::u16string_view pattern,
                      std::initializer_list<FormatArgument> arguments) {
    int64_t measured = renderFormat(pattern, arguments, nullptr);
    if (measured < 0 || measured > std::numeric_limits<int32_t>::max()) {
        raiseLauncherError(kErrorFail);
    }
    std::u16string result(static_cast<size_t>(measured), u'\0');
    renderFormat(pattern, arguments, result.data());
    return WideString(std::u16string_view(result));
}

} // namespace launcher
