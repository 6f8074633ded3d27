// Reads an executable's identity the way Windows' file properties do, for the
// tests under Wine:
//   resource_probe FILE
// prints "version|KEY|VALUE" for each string of the version resource,
// "fixed|FILEVERSION|PRODUCTVERSION", "icons|N" (icon groups, as ExtractIconExW
// counts them), "images|N" (the images of group 1, as LoadImageW loads its first
// one: "loaded|WIDTH") and "manifest|LEVEL".
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>
#include <shellapi.h>

namespace {

std::string utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

void printVersion(const wchar_t* file) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoW(file, 0, size, block.data())) {
        std::puts("version|none");
        return;
    }
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &length) &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        std::printf("fixed|%lu.%lu.%lu.%lu|%lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16,
                    fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
                    fixed->dwFileVersionLS & 0xFFFF, fixed->dwProductVersionMS >> 16,
                    fixed->dwProductVersionMS & 0xFFFF, fixed->dwProductVersionLS >> 16,
                    fixed->dwProductVersionLS & 0xFFFF);
    }
    for (const wchar_t* key :
         {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName", L"LegalCopyright",
          L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        if (VerQueryValueW(block.data(), query.c_str(), &value, &length) && length > 0) {
            std::printf("version|%s|%s\n", utf8(key).c_str(),
                        utf8(static_cast<const wchar_t*>(value)).c_str());
        }
    }
}

void printIcons(const wchar_t* file) {
    std::printf("icons|%u\n", ExtractIconExW(file, -1, nullptr, nullptr, 0));
    HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC group = module ? FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON) : nullptr;
    if (group != nullptr) {
        const auto* data = static_cast<const WORD*>(LockResource(LoadResource(module, group)));
        std::printf("images|%u\n", data[2]);
        HICON icon =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
        ICONINFO info{};
        BITMAP bitmap{};
        if (icon != nullptr && GetIconInfo(icon, &info) &&
            GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap)) {
            std::printf("loaded|%ld\n", bitmap.bmWidth);
        }
    }
    HRSRC manifest =
        module ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
    if (manifest != nullptr) {
        std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                         SizeofResource(module, manifest));
        size_t at = text.find("level=\"");
        size_t end = at == std::string::npos ? at : text.find('"', at + 7);
        std::printf("manifest|%s\n",
                    end == std::string::npos ? "none" : text.substr(at + 7, end - at - 7).c_str());
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: resource_probe FILE\n", stderr);
        return 2;
    }
    printVersion(argv[1]);
    printIcons(argv[1]);
    return 0;
}
