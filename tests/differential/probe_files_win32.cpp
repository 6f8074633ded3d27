// Whole-file reads and writes for the Windows probe programs.
#include "probe_files_win32.h"

#include "platform/win32_handles.h"

namespace launcher::probe {

bool readAll(const wchar_t* path, std::string& bytes) {
    platform::UniqueFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    bytes.clear();
    char chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) != 0) && got > 0) {
        bytes.append(chunk, got);
    }
    return ok;
}

bool writeAll(const wchar_t* path, const std::string& bytes) {
    platform::UniqueFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

} // namespace launcher::probe
