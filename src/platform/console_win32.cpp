// Error lines on Windows: UTF-16 to a console, the console's or ANSI code page elsewhere.
#include "platform/console.h"

#include <algorithm>
#include <cstdio>
#include <io.h>
#include <iterator>
#include <string_view>
#include <windows.h>

namespace launcher::platform {

namespace {

constexpr std::u16string_view kPrefix = u"Error: ";
constexpr std::u16string_view kSuffix = u" \r\n";
// A line of up to this many units goes out in one write.
constexpr size_t kWholeLineUnits = 1024;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// The text as it is, so that no character is lost on the way.
void writeToConsole(HANDLE console, std::u16string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written,
                           nullptr) ||
            written == 0) {
            return;
        }
        text.remove_prefix(std::min<size_t>(written, text.size()));
    }
}

// A file or pipe gets the bytes a console would show: the console's code page, or
// the ANSI one without a console; characters it lacks become its default
// character, and the conversion goes on after them.
void writeConverted(HANDLE file, std::u16string_view text) {
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) {
        codePage = GetACP();
    }
    char bytes[4 * kWholeLineUnits];
    while (!text.empty()) {
        size_t take = std::min(text.size(), kWholeLineUnits);
        if (take < text.size() && take > 1 && isHighSurrogate(text[take - 1])) {
            --take; // a surrogate pair stays together
        }
        int converted = WideCharToMultiByte(
            codePage, 0, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(take),
            bytes, static_cast<int>(sizeof bytes), nullptr, nullptr);
        DWORD written = 0;
        if (converted > 0) {
            WriteFile(file, bytes, static_cast<DWORD>(converted), &written, nullptr);
        }
        text.remove_prefix(take);
    }
}

void writeText(HANDLE out, std::u16string_view text) {
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        writeToConsole(out, text);
    } else {
        writeConverted(out, text);
    }
}

} // namespace

void writeErrorLine(const char16_t* text) noexcept {
    // The handle behind the runtime's standard output, wherever it was redirected;
    // what the runtime still buffers goes first.
    fflush(stdout);
    auto out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return;
    }
    std::u16string_view body(text);
    // Built on the stack: this line also reports exhausted memory.
    char16_t line[kWholeLineUnits];
    if (kPrefix.size() + body.size() + kSuffix.size() <= std::size(line)) {
        char16_t* end = std::copy(kPrefix.begin(), kPrefix.end(), line);
        end = std::copy(body.begin(), body.end(), end);
        end = std::copy(kSuffix.begin(), kSuffix.end(), end);
        writeText(out, std::u16string_view(line, static_cast<size_t>(end - line)));
        return;
    }
    writeText(out, kPrefix);
    writeText(out, body);
    writeText(out, kSuffix);
}

} // namespace launcher::platform
