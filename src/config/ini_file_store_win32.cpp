// The INI file store on Windows, through the private-profile functions, and
// through the portable reader for UTF-8 files, which those functions misread.
#include "config/ini_document.h"
#include "config/ini_store.h"

#include "platform/file.h"
#include "platform/text.h"
#include "platform/win32_handles.h"

#include <algorithm>
#include <string>

namespace launcher {

namespace {

constexpr DWORD kInitialBufferSize = 256;

std::wstring zeroTerminated(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

bool hasHighBytes(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
}

bool isUtf8(const IniDocument& document) {
    return document.encoding() == IniDocument::Encoding::Utf8 ||
           document.encoding() == IniDocument::Encoding::Utf8WithBom;
}

// UTF-8 as editors save it: with the byte-order mark, or without it but valid
// and not plain ASCII (which reads the same either way).
bool readsAsUtf8(std::string_view bytes, const IniDocument& document) {
    return isUtf8(document) && (bytes.starts_with("\xEF\xBB\xBF") || hasHighBytes(bytes));
}

} // namespace

const IniDocument* IniFileStore::utf8Document() {
    if (!examined_) {
        examined_ = true;
        std::string bytes;
        if (platform::readWholeFile(path_, bytes) && hasHighBytes(bytes)) {
            auto document =
                std::make_shared<const IniDocument>(IniDocument::parseForReading(bytes));
            if (readsAsUtf8(bytes, *document)) {
                document_ = std::move(document);
            }
        }
    }
    return document_.get();
}

WideString IniFileStore::getValue(std::u16string_view section, std::u16string_view key) {
    if (const IniDocument* document = utf8Document()) {
        WideString value;
        document->getValue(section, key, value);
        return value;
    }
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
    if (const IniDocument* document = utf8Document()) {
        names = document->sectionNames();
        return;
    }
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

// A UTF-8 file stays UTF-8. So does a plain ASCII one (or none yet) that is
// given text the code page cannot write: the profile functions would write it
// as question marks.
bool IniFileStore::setValue(std::u16string_view section, std::u16string_view key,
                            std::u16string_view value) {
    std::string bytes;
    if (!platform::readFileToReplace(path_, bytes)) {
        return false;
    }
    IniDocument document = IniDocument::parse(bytes);
    bool codePageKeeps = platform::narrowKeeps(section) && platform::narrowKeeps(key) &&
                         platform::narrowKeeps(value);
    if (readsAsUtf8(bytes, document) || (!hasHighBytes(bytes) && !codePageKeeps)) {
        document_.reset();
        examined_ = false;
        return document.setValue(section, key, value) &&
               platform::writeFileAtomically(path_, document.serialize());
    }
    return WritePrivateProfileStringW(zeroTerminated(section).c_str(), zeroTerminated(key).c_str(),
                                      zeroTerminated(value).c_str(),
                                      platform::wide(path_.c_str())) != 0;
}

bool IniFileStore::remove() {
    document_.reset();
    examined_ = false;
    return DeleteFileW(platform::wide(path_.c_str())) != 0;
}

} // namespace launcher
