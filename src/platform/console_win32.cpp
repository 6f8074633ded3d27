// Standard output and error on Windows: UTF-16 to a console, the console's or
// the ANSI code page elsewhere.
#include "platform/console.h"

#include <algorithm>
#include <cstdio>
#include <io.h>
#include <iterator>
#include <string_view>
#include <windows.h>

namespace launcher::platform {

namespace {

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

void writeStandardOutput(std::initializer_list<std::u16string_view> pieces) noexcept {
    // The handle behind the runtime's standard output, wherever it was redirected;
    // what the runtime still buffers goes first.
    fflush(stdout);
    auto out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return;
    }
    // Built on the stack; every line feed becomes CR LF, as the runtime's text
    // mode writes it.
    char16_t line[kWholeLineUnits];
    size_t used = 0;
    auto flush = [&] {
        writeText(out, std::u16string_view(line, used));
        used = 0;
    };
    for (std::u16string_view piece : pieces) {
        for (char16_t unit : piece) {
            if (used + 2 > std::size(line)) {
                // A surrogate pair is never cut in two.
                char16_t carried = isHighSurrogate(line[used - 1]) ? line[--used] : 0;
                flush();
                if (carried != 0) {
                    line[used++] = carried;
                }
            }
            if (unit == u'\n') {
                line[used++] = u'\r';
            }
            line[used++] = unit;
        }
    }
    flush();
}

bool standardOutputIsOpen() noexcept {
    auto out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    return out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN;
}

// The subsystem the image's own header names; the two launchers differ in nothing else.
bool isWindowedProgram() noexcept {
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

void writeStandardError(std::u16string_view text) noexcept {
    fflush(stderr);
    HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    if (errors != nullptr && errors != INVALID_HANDLE_VALUE) {
        writeText(errors, text);
    }
}

} // namespace launcher::platform
