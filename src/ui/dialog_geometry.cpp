// The link colour values of the registry and the centring of a dialog.
#include "ui/dialog_geometry.h"

#include <string>
#include <string_view>

namespace launcher {

namespace {

// The C runtime's reading of a decimal integer: blanks, a sign, digits, and
// whatever follows ignored. The value is wide enough for the eleven characters
// a colour may have.
int64_t leadingInteger(std::u16string_view text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) {
        negative = text[at] == u'-';
        ++at;
    }
    int64_t value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + (text[at] - u'0');
    }
    return negative ? -value : value;
}

} // namespace

std::optional<uint32_t> parseLinkColour(bool stringType, std::span<const uint8_t> data) {
    constexpr size_t kLargestValue = 24;
    if (!stringType || data.size() > kLargestValue || data.size() % 2 != 0 || data.empty()) {
        return std::nullopt;
    }
    std::u16string units;
    for (size_t at = 0; at < data.size(); at += 2) {
        units.push_back(static_cast<char16_t>(data[at] | (data[at + 1] << 8)));
    }
    if (units.back() != u'\0') {
        return std::nullopt;
    }
    std::u16string_view text(units.c_str());
    size_t first = text.find(u',');
    if (first == std::u16string_view::npos) {
        return std::nullopt;
    }
    size_t second = text.find(u',', first + 1);
    if (second == std::u16string_view::npos || second + 1 >= text.size()) {
        return std::nullopt;
    }
    auto lowByte = [](int64_t value) {
        return static_cast<uint32_t>(value) & 0xFFu;
    };
    uint32_t red = lowByte(leadingInteger(text.substr(0, first)));
    uint32_t green = lowByte(leadingInteger(text.substr(first + 1, second - first - 1)));
    uint32_t blue = lowByte(leadingInteger(text.substr(second + 1)));
    return red | (green << 8) | (blue << 16);
}

void centreWithin(const ScreenRect& window, const ScreenRect& reference, const ScreenRect& workArea,
                  int32_t& x, int32_t& y) {
    x = reference.left + (reference.width() - window.width()) / 2;
    y = reference.top + (reference.height() - window.height()) / 2;
    if (x + window.width() > workArea.right) {
        x = workArea.right - window.width();
    }
    if (y + window.height() > workArea.bottom) {
        y = workArea.bottom - window.height();
    }
    if (x < workArea.left) {
        x = workArea.left;
    }
    if (y < workArea.top) {
        y = workArea.top;
    }
}

} // namespace launcher
