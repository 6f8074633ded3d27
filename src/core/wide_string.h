// UTF-16 text with value semantics. Copies share one buffer whose reference count
// is changed atomically, so strings can be handed between threads; the first
// modification of a shared buffer copies it.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

class WideString;
using WideStringList = std::vector<WideString>;

// One argument of the printf-style formatter: a text for %s or a number for %d.
class FormatArgument {
  public:
    FormatArgument(const WideString& text) noexcept;
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

class WideString {
  public:
    static constexpr int32_t kNotFound = -1;

    WideString() noexcept;
    WideString(const char16_t* text);
    WideString(std::u16string_view text);
    WideString(const WideString& other) noexcept;
    WideString(WideString&& other) noexcept;
    WideString& operator=(const WideString& other) noexcept;
    WideString& operator=(WideString&& other) noexcept;
    ~WideString();

    // Narrow text in the thread's ANSI code page (UTF-8 on POSIX systems).
    static WideString fromNarrow(std::string_view narrow);
    // The catalogue text of the id, or the empty string when it has none.
    static WideString fromMessage(uint16_t id);

    int32_t length() const noexcept;
    bool empty() const noexcept { return length() == 0; }
    // The code unit at index; index == length gives the terminating zero.
    char16_t at(int32_t index) const;
    const char16_t* c_str() const noexcept;
    std::u16string_view view() const noexcept { return {c_str(), static_cast<size_t>(length())}; }
    operator std::u16string_view() const noexcept { return view(); }
    std::string toNarrow() const;

    WideString& append(std::u16string_view text);
    WideString& append(char16_t unit);
    WideString& operator+=(std::u16string_view text) { return append(text); }
    WideString& operator+=(char16_t unit) { return append(unit); }

    WideString left(int32_t count) const;
    WideString right(int32_t count) const;
    WideString mid(int32_t index) const;
    WideString mid(int32_t index, int32_t count) const;

    int32_t find(char16_t unit, int32_t from = 0) const noexcept;
    int32_t findLast(char16_t unit) const noexcept;
    int32_t find(std::u16string_view text, int32_t from = 0) const noexcept;
    bool contains(char16_t unit) const noexcept { return find(unit) != kNotFound; }
    bool startsWith(std::u16string_view text) const noexcept { return view().starts_with(text); }
    bool endsWith(char16_t unit) const noexcept { return !empty() && view().back() == unit; }

    // Replaces every occurrence of one unit by another; returns how many were replaced.
    int32_t replaceAll(char16_t from, char16_t to);
    // Deletes count units from index; returns the new length.
    int32_t remove(int32_t index, int32_t count);
    // Inserts text at the front; returns the new length.
    int32_t prepend(std::u16string_view text);

    WideString& trimStart();
    WideString& trimEnd();
    WideString& trim() { return trimEnd().trimStart(); }
    void clear() noexcept;

    // Replaces the content with the format filled in (%s, %d and %%).
    WideString& format(std::u16string_view pattern,
                       std::initializer_list<FormatArgument> arguments);

    bool equalsIgnoreAsciiCase(std::u16string_view other) const noexcept;

    friend bool operator==(const WideString& a, const WideString& b) noexcept {
        return a.view() == b.view();
    }
    friend bool operator==(const WideString& a, std::u16string_view b) noexcept {
        return a.view() == b;
    }
    friend bool operator==(const WideString& a, const char16_t* b) noexcept {
        return a.view() == std::u16string_view(b);
    }

  private:
    struct Buffer;
    explicit WideString(Buffer* buffer) noexcept : buffer_(buffer) {}
    static Buffer* emptyBuffer() noexcept;
    static Buffer* allocate(int32_t capacity);
    static void retain(Buffer* buffer) noexcept;
    static void release(Buffer* buffer) noexcept;
    // Makes the buffer this string's own, with room for at least `needed` units.
    char16_t* reserveUnique(int32_t needed);
    void setLength(int32_t length) noexcept;

    Buffer* buffer_;
};

// Exact comparisons of code units, and the fold of only A to Z onto a to z.
bool equalsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) noexcept;

// Whether the unit is white space by the wide classification of the C runtime.
bool isWideSpace(char16_t unit) noexcept;

// Formats printf-style into a new string: "%s" takes a text, "%d" a number and
// "%%" prints one percent sign. An argument is never itself used as a format.
WideString formatText(std::u16string_view pattern, std::initializer_list<FormatArgument> arguments);

WideString operator+(const WideString& a, std::u16string_view b);

} // namespace launcher
