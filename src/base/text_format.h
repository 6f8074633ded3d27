// The printf-style formatter of the messages: "%s", "%d" and "%%" only.
#pragma once

#include "base/wide_string.h"

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace launcher {

// One argument of the formatter: a text for %s or a number for %d.
class FormatArgument {
  public:
    FormatArgument(const WideString& text) noexcept : text_(text.view()), isText_(true) {}
    FormatArgument(std::u16string_view text) noexcept : text_(text), isText_(true) {}
    FormatArgument(const char16_t* text) noexcept : text_(text), isText_(true) {}
    template <std::integral T>
    FormatArgument(T number) noexcept : number_(static_cast<int32_t>(number)) {}

    bool isText() const noexcept { return isText_; }
    std::u16string_view text() const noexcept { return text_; }
    int32_t number() const noexcept { return number_; }

  private:
    std::u16string_view text_;
    int32_t number_ = 0;
    bool isText_ = false;
};

// The decimal digits of a number, with a '-' before a negative one; all of
// them, however large (memory figures above 4 GiB need more than 32 bits).
std::u16string decimalText(int64_t number);
std::u16string decimalText(uint64_t number);

// Formats into a new string: "%s" takes a text, "%d" a number and "%%" prints
// one percent sign. An argument is never itself used as a format. Raises E_FAIL
// when the pattern and the arguments do not fit together.
WideString formatText(std::u16string_view pattern, std::initializer_list<FormatArgument> arguments);

} // namespace launcher
