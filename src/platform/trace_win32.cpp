// The trace's destination on Windows: a handle of its own, so that later
// redirection of the standard error leaves it where it was. A console gets the
// text as UTF-16, anything else UTF-8.
#include "platform/text.h"
#include "platform/trace.h"
#include "platform/win32_handles.h"

namespace launcher::platform {

namespace {

struct TraceDestination {
    UniqueFileHandle file;
    bool console = false;
};

TraceDestination& traceDestination() {
    static TraceDestination destination;
    return destination;
}

HANDLE duplicateStandardError() {
    HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (errors == nullptr || errors == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), errors, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return INVALID_HANDLE_VALUE;
    }
    return copy;
}

// Never through a symbolic link or junction, and only a file on a disk: the
// trace must not become a way to write where the user did not mean.
HANDLE openTraceFile(std::u16string_view setting) {
    std::u16string path(setting);
    UniqueFileHandle file(
        CreateFileW(wide(path.c_str()), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file.get(), &information) ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return INVALID_HANDLE_VALUE;
    }
    return file.release();
}

} // namespace

bool openTraceDestination(std::u16string_view setting) noexcept {
    try {
        HANDLE opened = INVALID_HANDLE_VALUE;
        opened = setting == u"1" ? duplicateStandardError() : openTraceFile(setting);
        if (opened == INVALID_HANDLE_VALUE) {
            return false;
        }
        TraceDestination& destination = traceDestination();
        destination.file.reset(opened);
        DWORD mode = 0;
        destination.console = GetConsoleMode(opened, &mode) != 0;
        return true;
    } catch (...) {
        return false;
    }
}

void writeTraceText(std::string_view line) noexcept {
    TraceDestination& destination = traceDestination();
    if (!destination.file) {
        return;
    }
    try {
        DWORD written = 0;
        if (destination.console) {
            WideString text = utf8ToWide(line);
            WriteConsoleW(destination.file.get(), wide(text.c_str()),
                          static_cast<DWORD>(text.length()), &written, nullptr);
        } else {
            WriteFile(destination.file.get(), line.data(), static_cast<DWORD>(line.size()),
                      &written, nullptr);
        }
    } catch (...) {
    }
}

std::string systemErrorText(uint32_t code) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    UniqueLocalMemory owned(text);
    if (length == 0 || !owned) {
        return {};
    }
    std::u16string_view message(reinterpret_cast<const char16_t*>(text), length);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                                message.back() == u' ' || message.back() == u'.')) {
        message.remove_suffix(1);
    }
    return wideToUtf8(message);
}

} // namespace launcher::platform
