// The INI file store on Windows, through the private-profile functions.
#include "config/ini_store.h"

#include "platform/win32_handles.h"

#include <string>

namespace launcher {

namespace {

constexpr DWORD kInitialBufferSize = 256;

std::wstring zeroTerminated(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

} // namespace

WideString IniFileStore::getValue(std::u16string_view section, std::u16string_view key) {
    std::wstring sectionName = zeroTerminated(section);
    std::wstring keyName = zeroTerminated(key);
    std::wstring buffer;
    for (DWORD size = kInitialBufferSize;; size *= 2) {
        buffer.assign(size, L'\0');
        DWORD read = GetPrivateProfileStringW(sectionName.c_str(), keyName.c_str(), L"",
                                              buffer.data(), size, platform::wide(path_.c_str()));
        // A count of size - 1 is the platform's sign that the value may have been
        // cut; a quoted value cut at the end of the buffer comes back one shorter.
        if (read < size - 2) {
            break;
        }
    }
    return WideString(reinterpret_cast<const char16_t*>(buffer.c_str()));
}

void IniFileStore::getSectionNames(WideStringList& names) {
    std::wstring buffer;
    DWORD read = 0;
    for (DWORD size = kInitialBufferSize;; size *= 2) {
        buffer.assign(size, L'\0');
        read = GetPrivateProfileSectionNamesW(buffer.data(), size, platform::wide(path_.c_str()));
        // A count of size - 2 is the platform's sign of a cut list.
        if (read != size - 2) {
            break;
        }
    }
    names.clear();
    for (const wchar_t* name = buffer.c_str(); static_cast<DWORD>(name - buffer.c_str()) < read;
         name += wcslen(name) + 1) {
        if (*name != L'\0') {
            names.emplace_back(reinterpret_cast<const char16_t*>(name));
        }
    }
}

bool IniFileStore::setValue(std::u16string_view section, std::u16string_view key,
                            std::u16string_view value) {
    return WritePrivateProfileStringW(zeroTerminated(section).c_str(), zeroTerminated(key).c_str(),
                                      zeroTerminated(value).c_str(),
                                      platform::wide(path_.c_str())) != 0;
}

bool IniFileStore::remove() {
    return DeleteFileW(platform::wide(path_.c_str())) != 0;
}

} // namespace launcher
