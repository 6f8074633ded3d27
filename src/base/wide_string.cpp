// WideString over std::u16string, with the 32-bit length limit checked on every growth.
#include "base/wide_string.h"

#include "base/launcher_error.h"

#include <algorithm>
#include <limits>

namespace launcher {

namespace {

constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();

int32_t checkedLength(int64_t length) {
    if (length > kMaxLength) {
        raiseLauncherError(kErrorArithmeticOverflow);
    }
    return static_cast<int32_t>(length);
}

size_t position(int32_t index) {
    return static_cast<size_t>(index);
}

int32_t foundAt(size_t at) {
    return at == std::u16string_view::npos ? WideString::kNotFound : static_cast<int32_t>(at);
}

} // namespace

WideString::WideString(const char16_t* text) : WideString(std::u16string_view(text)) {}

WideString::WideString(std::u16string_view text) {
    append(text);
}

char16_t WideString::at(int32_t index) const {
    if (index < 0 || index > length()) {
        raiseLauncherError(kErrorInvalidArgument);
    }
    return units_.c_str()[index];
}

WideString& WideString::append(std::u16string_view text) {
    checkedLength(int64_t{length()} + static_cast<int64_t>(text.size()));
    units_.append(text);
    return *this;
}

WideString& WideString::append(char16_t unit) {
    checkedLength(int64_t{length()} + 1);
    units_.push_back(unit);
    return *this;
}

WideString WideString::left(int32_t count) const {
    count = std::clamp(count, 0, length());
    return WideString(view().substr(0, position(count)));
}

WideString WideString::mid(int32_t index) const {
    return mid(index, length());
}

WideString WideString::mid(int32_t index, int32_t count) const {
    index = std::max(index, 0);
    count = std::max(count, 0);
    checkedLength(int64_t{index} + count);
    if (index >= length()) {
        return WideString();
    }
    return WideString(view().substr(position(index), position(count)));
}

int32_t WideString::find(char16_t unit, int32_t from) const noexcept {
    return foundAt(view().find(unit, position(std::max(from, 0))));
}

int32_t WideString::findLast(char16_t unit) const noexcept {
    return foundAt(view().rfind(unit));
}

int32_t WideString::find(std::u16string_view text, int32_t from) const noexcept {
    return foundAt(view().find(text, position(std::max(from, 0))));
}

int32_t WideString::replaceAll(char16_t from, char16_t to) {
    if (from == 0 || to == 0) {
        raiseLauncherError(kErrorInvalidArgument);
    }
    int32_t replaced = 0;
    for (char16_t& unit : units_) {
        if (unit == from) {
            unit = to;
            ++replaced;
        }
    }
    return replaced;
}

int32_t WideString::remove(int32_t index, int32_t count) {
    index = std::max(index, 0);
    count = std::max(count, 0);
    checkedLength(int64_t{index} + count);
    if (index < length()) {
        units_.erase(position(index), position(count));
    }
    return length();
}

int32_t WideString::prepend(std::u16string_view text) {
    checkedLength(int64_t{length()} + static_cast<int64_t>(text.size()));
    units_.insert(0, text);
    return length();
}

WideString& WideString::trimStart() {
    auto first = std::find_if_not(units_.begin(), units_.end(), isWideSpace);
    units_.erase(units_.begin(), first);
    return *this;
}

WideString& WideString::trimEnd() {
    auto last = std::find_if_not(units_.rbegin(), units_.rend(), isWideSpace);
    units_.erase(last.base(), units_.end());
    return *this;
}

bool WideString::equalsIgnoreAsciiCase(std::u16string_view other) const noexcept {
    return launcher::equalsIgnoreAsciiCase(view(), other);
}

bool equalsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) noexcept {
    auto fold = [](char16_t unit) -> char16_t {
        return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
    };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

bool isWideSpace(char16_t unit) noexcept {
    return (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0xA0 || unit == 0x1680 ||
           (unit >= 0x2000 && unit <= 0x200A) || unit == 0x2028 || unit == 0x2029 ||
           unit == 0x202F || unit == 0x205F || unit == 0x3000;
}

WideString operator+(const WideString& a, std::u16string_view b) {
    WideString joined(a);
    joined.append(b);
    return joined;
}

} // namespace launcher
