// Owners of the window-system handles the dialogs hold.
#pragma once

#include "platform/unique_handle.h"

#include <windows.h>

#include <shlobj.h>

namespace launcher::ui {

struct FontTraits {
    using Type = HFONT;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type font) noexcept { DeleteObject(font); }
};
using UniqueFont = platform::UniqueHandle<FontTraits>;

struct WindowTraits {
    using Type = HWND;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type window) noexcept { DestroyWindow(window); }
};
using UniqueWindow = platform::UniqueHandle<WindowTraits>;

struct ItemIdListTraits { // SHBrowseForFolderW
    using Type = PIDLIST_ABSOLUTE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type list) noexcept { CoTaskMemFree(list); }
};
using UniqueItemIdList = platform::UniqueHandle<ItemIdListTraits>;

// A device context of a window from GetDC, given back with ReleaseDC.
class WindowDc {
  public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The thread's COM apartment for the folder browser, left again only when this
// call entered it.
class ComApartment {
  public:
    ComApartment() noexcept
        : entered_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (entered_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool entered_;
};

} // namespace launcher::ui
