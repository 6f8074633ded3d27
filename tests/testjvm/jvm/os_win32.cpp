// The test JVM's files and threads on Windows.
#include "os.h"

#include "platform/win32_handles.h"

#include <vector>

namespace testjvm::os {

namespace {

using launcher::platform::UniqueFileHandle;

std::wstring widen(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                        length);
    return out;
}

std::string narrowToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                        nullptr, nullptr);
    return out;
}

bool writeAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

std::string systemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "error " + std::to_string(error);
    }
    return narrowToUtf8(text);
}

class Win32OutputFile final : public OutputFile {
  public:
    explicit Win32OutputFile(UniqueFileHandle handle) : handle_(std::move(handle)) {}
    bool write(std::string_view bytes) override { return writeAll(handle_.get(), bytes); }

  private:
    UniqueFileHandle handle_;
};

UniqueFileHandle openForWriting(const std::string& path, bool append) {
    // Appending handles write at the end on every call, like O_APPEND.
    DWORD access = append ? FILE_APPEND_DATA : GENERIC_WRITE;
    return UniqueFileHandle(
        CreateFileW(widen(path, CP_UTF8).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

const char* const kLineSeparator = "\r\n";

std::optional<std::string> environment(const char* name) {
    std::wstring wideName = widen(name, CP_UTF8);
    DWORD length = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (length == 0) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(length);
    length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), length);
    return narrowToUtf8(std::wstring_view(buffer.data(), length));
}

void appendToFile(const std::string& path, std::string_view bytes) {
    UniqueFileHandle file = openForWriting(path, true);
    if (file) {
        writeAll(file.get(), bytes);
    }
}

std::unique_ptr<OutputFile> OutputFile::open(const std::string& path, bool append,
                                             std::string& reason) {
    UniqueFileHandle file = openForWriting(path, append);
    if (!file) {
        reason = systemMessage(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32OutputFile>(std::move(file));
}

void writeStandard(StandardStream stream, std::string_view bytes) {
    HANDLE handle =
        GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        writeAll(handle, bytes);
    }
}

size_t currentThreadStackSize() {
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    return static_cast<size_t>(high - low);
}

std::string platformTextToUtf8(const char* text) {
    return narrowToUtf8(widen(text, CP_ACP));
}

} // namespace testjvm::os
