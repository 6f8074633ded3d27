#include "core/wide_string.h"

#include "core/launcher_error.h"
#include "core/message_catalogue.h"
#include "platform/text.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace launcher {

namespace {

constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();
constexpr int32_t kLinearGrowthThreshold = 1073741825;
constexpr int32_t kLinearGrowthStep = 1048576;

int32_t checkedLength(int64_t length) {
    if (length > kMaxLength) {
        raiseLauncherError(kErrorArithmeticOverflow);
    }
    return static_cast<int32_t>(length);
}

int32_t viewLength(std::u16string_view text) {
    return checkedLength(static_cast<int64_t>(text.size()));
}

// Capacity after growing from `current` so that at least `needed` units fit.
int32_t grownCapacity(int32_t current, int32_t needed) {
    int64_t grown = current < kLinearGrowthThreshold ? int64_t{current} + current / 2
                                                     : int64_t{current} + kLinearGrowthStep;
    grown = std::min(grown, kMaxLength);
    return std::max(static_cast<int32_t>(grown), needed);
}

} // namespace

struct WideString::Buffer {
    std::atomic<int32_t> references;
    int32_t capacity; // code units, without the terminating zero
    int32_t length;

    char16_t* units() noexcept {
        return reinterpret_cast<char16_t*>(reinterpret_cast<char*>(this) + sizeof(Buffer));
    }
};

WideString::Buffer* WideString::emptyBuffer() noexcept {
    // Shared by every empty string and never freed; its count is never touched.
    struct EmptyStorage {
        alignas(Buffer) unsigned char bytes[sizeof(Buffer) + sizeof(char16_t)] = {};
    };
    static EmptyStorage storage;
    static Buffer* const buffer = [] {
        auto* header = new (storage.bytes) Buffer{};
        header->references.store(1);
        return header;
    }();
    return buffer;
}

WideString::Buffer* WideString::allocate(int32_t capacity) {
    size_t bytes = sizeof(Buffer) + (static_cast<size_t>(capacity) + 1) * sizeof(char16_t);
    void* memory = std::malloc(bytes);
    if (memory == nullptr) {
        raiseLauncherError(kErrorOutOfMemory);
    }
    auto* buffer = new (memory) Buffer{};
    buffer->references.store(1, std::memory_order_relaxed);
    buffer->capacity = capacity;
    buffer->length = 0;
    buffer->units()[0] = 0;
    return buffer;
}

void WideString::retain(Buffer* buffer) noexcept {
    if (buffer != emptyBuffer()) {
        buffer->references.fetch_add(1, std::memory_order_relaxed);
    }
}

void WideString::release(Buffer* buffer) noexcept {
    if (buffer != emptyBuffer() &&
        buffer->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        buffer->~Buffer();
        std::free(buffer);
    }
}

WideString::WideString() noexcept : buffer_(emptyBuffer()) {}

WideString::WideString(const char16_t* text) : WideString(std::u16string_view(text)) {}

WideString::WideString(std::u16string_view text) : buffer_(emptyBuffer()) {
    append(text);
}

WideString::WideString(const WideString& other) noexcept : buffer_(other.buffer_) {
    retain(buffer_);
}

WideString::WideString(WideString&& other) noexcept : buffer_(other.buffer_) {
    other.buffer_ = emptyBuffer();
}

WideString& WideString::operator=(const WideString& other) noexcept {
    retain(other.buffer_);
    release(buffer_);
    buffer_ = other.buffer_;
    return *this;
}

WideString& WideString::operator=(WideString&& other) noexcept {
    if (this != &other) {
        release(buffer_);
        buffer_ = other.buffer_;
        other.buffer_ = emptyBuffer();
    }
    return *this;
}

WideString::~WideString() {
    release(buffer_);
}

WideString WideString::fromNarrow(std::string_view narrow) {
    return platform::narrowToWide(narrow);
}

WideString WideString::fromMessage(uint16_t id) {
    return MessageCatalogue::load(id);
}

std::string WideString::toNarrow() const {
    return platform::wideToNarrow(view());
}

int32_t WideString::length() const noexcept {
    return buffer_->length;
}

const char16_t* WideString::c_str() const noexcept {
    return buffer_->units();
}

char16_t WideString::at(int32_t index) const {
    if (index < 0 || index > length()) {
        raiseLauncherError(kErrorInvalidArgument);
    }
    return c_str()[index];
}

char16_t* WideString::reserveUnique(int32_t needed) {
    Buffer* current = buffer_;
    bool shared =
        current == emptyBuffer() || current->references.load(std::memory_order_acquire) != 1;
    if (!shared && current->capacity >= needed) {
        return current->units();
    }
    int32_t capacity =
        current->capacity >= needed ? current->capacity : grownCapacity(current->capacity, needed);
    Buffer* fresh = allocate(capacity);
    int32_t kept = std::min(current->length, capacity);
    std::memcpy(fresh->units(), current->units(), static_cast<size_t>(kept) * sizeof(char16_t));
    fresh->length = kept;
    fresh->units()[kept] = 0;
    release(current);
    buffer_ = fresh;
    return fresh->units();
}

void WideString::setLength(int32_t length) noexcept {
    buffer_->length = length;
    buffer_->units()[length] = 0;
}

WideString& WideString::append(std::u16string_view text) {
    if (text.empty()) {
        return *this;
    }
    int32_t added = viewLength(text);
    int32_t oldLength = length();
    int32_t newLength = checkedLength(int64_t{oldLength} + added);
    // The text may point into this very buffer: copy through a temporary when it does.
    if (text.data() >= c_str() && text.data() <= c_str() + oldLength) {
        std::u16string copy(text);
        return append(std::u16string_view(copy));
    }
    char16_t* units = reserveUnique(newLength);
    std::memcpy(units + oldLength, text.data(), static_cast<size_t>(added) * sizeof(char16_t));
    setLength(newLength);
    return *this;
}

WideString& WideString::append(char16_t unit) {
    char16_t single[1] = {unit};
    return append(std::u16string_view(single, 1));
}

WideString WideString::left(int32_t count) const {
    count = std::clamp(count, 0, length());
    return WideString(view().substr(0, static_cast<size_t>(count)));
}

WideString WideString::right(int32_t count) const {
    count = std::clamp(count, 0, length());
    return WideString(view().substr(static_cast<size_t>(length() - count)));
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
    count = std::min(count, length() - index);
    return WideString(view().substr(static_cast<size_t>(index), static_cast<size_t>(count)));
}

int32_t WideString::find(char16_t unit, int32_t from) const noexcept {
    if (from < 0) {
        from = 0;
    }
    size_t at = view().find(unit, static_cast<size_t>(from));
    return at == std::u16string_view::npos ? kNotFound : static_cast<int32_t>(at);
}

int32_t WideString::findLast(char16_t unit) const noexcept {
    size_t at = view().rfind(unit);
    return at == std::u16string_view::npos ? kNotFound : static_cast<int32_t>(at);
}

int32_t WideString::find(std::u16string_view text, int32_t from) const noexcept {
    if (from < 0) {
        from = 0;
    }
    size_t at = view().find(text, static_cast<size_t>(from));
    return at == std::u16string_view::npos ? kNotFound : static_cast<int32_t>(at);
}

int32_t WideString::replaceAll(char16_t from, char16_t to) {
    if (from == 0 || to == 0) {
        raiseLauncherError(kErrorInvalidArgument);
    }
    if (find(from) == kNotFound) {
        return 0;
    }
    char16_t* units = reserveUnique(length());
    int32_t replaced = 0;
    for (int32_t i = 0; i < length(); ++i) {
        if (units[i] == from) {
            units[i] = to;
            ++replaced;
        }
    }
    return replaced;
}

int32_t WideString::remove(int32_t index, int32_t count) {
    index = std::max(index, 0);
    count = std::max(count, 0);
    checkedLength(int64_t{index} + count);
    if (index >= length() || count == 0) {
        return length();
    }
    count = std::min(count, length() - index);
    char16_t* units = reserveUnique(length());
    std::memmove(units + index, units + index + count,
                 static_cast<size_t>(length() - index - count) * sizeof(char16_t));
    setLength(length() - count);
    return length();
}

int32_t WideString::prepend(std::u16string_view text) {
    if (text.empty()) {
        return length();
    }
    WideString joined(text);
    joined.append(view());
    *this = std::move(joined);
    return length();
}

WideString& WideString::trimStart() {
    int32_t skip = 0;
    while (skip < length() && isWideSpace(c_str()[skip])) {
        ++skip;
    }
    remove(0, skip);
    return *this;
}

WideString& WideString::trimEnd() {
    int32_t keep = length();
    while (keep > 0 && isWideSpace(c_str()[keep - 1])) {
        --keep;
    }
    if (keep != length()) {
        reserveUnique(length());
        setLength(keep);
    }
    return *this;
}

void WideString::clear() noexcept {
    release(buffer_);
    buffer_ = emptyBuffer();
}

WideString& WideString::format(std::u16string_view pattern,
                               std::initializer_list<FormatArgument> arguments) {
    *this = formatText(pattern, arguments);
    return *this;
}

bool WideString::equalsIgnoreAsciiCase(std::u16string_view other) const noexcept {
    return launcher::equalsIgnoreAsciiCase(view(), other);
}

FormatArgument::FormatArgument(const WideString& text) noexcept
    : text_(text.view()), isText_(true) {}

bool equalsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) noexcept {
    auto fold = [](char16_t unit) -> char16_t {
        return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
    };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

bool isWideSpace(char16_t unit) noexcept {
    return platform::isWideSpace(unit);
}

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
            char16_t digits[12];
            int n = 0;
            int64_t value = argument.number();
            bool negative = value < 0;
            uint64_t magnitude =
                negative ? static_cast<uint64_t>(-value) : static_cast<uint64_t>(value);
            do {
                digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
                magnitude /= 10;
            } while (magnitude != 0);
            if (negative) {
                digits[n++] = u'-';
            }
            std::reverse(digits, digits + n);
            put(std::u16string_view(digits, static_cast<size_t>(n)));
        } else {
            return -1;
        }
    }
    return written;
}

} // namespace

WideString formatText(std::u16string_view pattern,
                      std::initializer_list<FormatArgument> arguments) {
    int64_t measured = renderFormat(pattern, arguments, nullptr);
    if (measured < 0 || measured > kMaxLength) {
        raiseLauncherError(kErrorFail);
    }
    std::u16string result(static_cast<size_t>(measured), u'\0');
    renderFormat(pattern, arguments, result.data());
    return WideString(std::u16string_view(result));
}

WideString operator+(const WideString& a, std::u16string_view b) {
    WideString joined(a);
    joined.append(b);
    return joined;
}

} // namespace launcher
