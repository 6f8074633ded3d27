// UTF-16 text with value semantics and an explicit length, the one text type of
// the launcher. Lengths and indexes are 32-bit, as the message formats and the
// Windows calls expect; a length past that range raises LauncherError.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

class WideString;
using WideStringList = std::vector<WideString>;

class WideString {
  public:
    static constexpr int32_t kNotFound = -1;

    WideString() noexcept = default;
    WideString(const char16_t* text);
    WideString(std::u16string_view text);

    int32_t length() const noexcept { return static_cast<int32_t>(units_.size()); }
    bool empty() const noexcept { return units_.empty(); }
    // The code unit at index; index == length gives the terminating zero.
    char16_t at(int32_t index) const;
    const char16_t* c_str() const noexcept { return units_.c_str(); }
    std::u16string_view view() const noexcept { return units_; }
    operator std::u16string_view() const noexcept { return view(); }

    WideString& append(std::u16string_view text);
    WideString& append(char16_t unit);
    WideString& operator+=(std::u16string_view text) { return append(text); }
    WideString& operator+=(char16_t unit) { return append(unit); }

    WideString left(int32_t count) const;
    WideString mid(int32_t index) const;
    WideString mid(int32_t index, int32_t count) const;

    int32_t find(char16_t unit, int32_t from = 0) const noexcept;
    int32_t findLast(char16_t unit) const noexcept;
    int32_t find(std::u16string_view text, int32_t from = 0) const noexcept;
    bool contains(char16_t unit) const noexcept { return find(unit) != kNotFound; }
    bool startsWith(std::u16string_view text) const noexcept { return view().starts_with(text); }
    bool endsWith(char16_t unit) const noexcept { return !empty() && units_.back() == unit; }
    bool endsWith(std::u16string_view text) const noexcept { return view().ends_with(text); }

    // Replaces every occurrence of one unit by another; returns how many were replaced.
    int32_t replaceAll(char16_t from, char16_t to);
    // Deletes count units from index; returns the new length.
    int32_t remove(int32_t index, int32_t count);
    // Inserts text at the front; returns the new length.
    int32_t prepend(std::u16string_view text);

    WideString& trimStart();
    WideString& trimEnd();
    WideString& trim() { return trimEnd().trimStart(); }
    void clear() noexcept { units_.clear(); }

    bool equalsIgnoreAsciiCase(std::u16string_view other) const noexcept;

    friend bool operator==(const WideString& a, const WideString& b) noexcept {
        return a.units_ == b.units_;
    }
    friend bool operator==(const WideString& a, std::u16string_view b) noexcept {
        return a.view() == b;
    }
    friend bool operator==(const WideString& a, const char16_t* b) noexcept {
        return a.view() == std::u16string_view(b);
    }

  private:
    std::u16string units_;
};

// Exact comparisons of code units, and the fold of only A to Z onto a to z.
bool equalsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) noexcept;

// White space as the Windows C runtime's iswspace classifies it, written out so
// that every system trims the same characters.
bool isWideSpace(char16_t unit) noexcept;

inline constexpr bool isAsciiDigit(char16_t unit) noexcept {
    return unit >= u'0' && unit <= u'9';
}

WideString operator+(const WideString& a, std::u16string_view b);

} // namespace launcher
