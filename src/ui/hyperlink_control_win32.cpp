// The link control: drawing, cursor, tooltip, keyboard and the shell open.
#include "ui/hyperlink_control_win32.h"

#include "platform/win32_handles.h"
#include "ui/dialog_geometry.h"

#include <commctrl.h>
#include <shellapi.h>
#include <vector>

namespace launcher::ui {

namespace {

constexpr wchar_t kObjectProperty[] = L"launcher.hyperlink";

HINSTANCE moduleInstance() {
    return GetModuleHandleW(nullptr);
}

// One colour value of the browser settings; the colour stays as it is when the
// value is missing or not of the form "R,G,B".
void readColour(HKEY key, const wchar_t* name, COLORREF& colour) {
    BYTE data[24];
    DWORD type = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) {
        return;
    }
    std::optional<uint32_t> parsed =
        parseLinkColour(type == REG_SZ || type == REG_EXPAND_SZ, std::span(data, size));
    if (parsed) {
        colour = *parsed;
    }
}

bool isStaticClass(HWND window) {
    wchar_t name[8] = {};
    GetClassNameW(window, name, 8);
    return CompareStringOrdinal(name, -1, L"static", -1, TRUE) == CSTR_EQUAL;
}

// Icons, rectangles, frames, owner-drawn, bitmaps and metafiles draw no text.
bool isPictureType(LONG_PTR style) {
    LONG_PTR type = style & SS_TYPEMASK;
    return (type >= SS_ICON && type <= SS_WHITEFRAME) ||
           (type >= SS_OWNERDRAW && type <= SS_ENHMETAFILE);
}

// The tool record grew by its lpReserved field with Windows Vista; older
// systems refuse the larger record.
UINT toolRecordSize() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    bool known = GetVersionExW(&version) != 0;
#pragma GCC diagnostic pop
    return known && version.dwMajorVersion > 5 ? sizeof(TTTOOLINFOW) : TTTOOLINFOW_V2_SIZE;
}

// The mouse messages a tooltip wants to see, WM_MOUSEMOVE to WM_XBUTTONDBLCLK.
bool isMouseMessage(UINT message) {
    return message >= WM_MOUSEFIRST && message <= WM_XBUTTONDBLCLK;
}

POINT clientPoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

bool HyperlinkControl::attach(HWND window) {
    window_ = window;
    if (isStaticClass(window)) {
        LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        if ((style & SS_NOTIFY) == 0) {
            SetWindowLongPtrW(window, GWL_STYLE, style | SS_NOTIFY);
        }
        if (isPictureType(style)) {
            paintLabel_ = false;
        }
    }
    handCursor_ = LoadCursorW(nullptr, IDC_HAND);
    if (paintLabel_) {
        if (normalFont_ == nullptr) {
            LOGFONTW description = {};
            if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof description, &description,
                                      0)) {
                ownedNormalFont_.reset(CreateFontIndirectW(&description));
                normalFont_ = ownedNormalFont_.get();
            }
        }
        if (!linkFont_) {
            createLinkFont();
        }
    }
    tooltip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, moduleInstance(),
                                   nullptr));
    if (label_.empty()) {
        int length = GetWindowTextLengthW(window);
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
        GetWindowTextW(window, text.data(), length + 1);
        label_ = text.data();
    }
    computeLinkRectangle();
    if (target_.empty() && !label_.empty()) {
        target_ = label_;
    }
    if (tooltip_) {
        SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
        TTTOOLINFOW tool = {};
        tool.cbSize = toolRecordSize();
        tool.hwnd = window;
        tool.uId = 1;
        tool.rect = linkRectangle_;
        tool.hinst = moduleInstance();
        tool.lpszText = target_.data();
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (paintLabel_) {
        readLinkColours();
    }
    if (!SetPropW(window, kObjectProperty, this)) {
        return false;
    }
    auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HyperlinkControl::windowProcedure)));
    if (previous == nullptr) {
        RemovePropW(window, kObjectProperty);
        return false;
    }
    previous_ = previous;
    return true;
}

void HyperlinkControl::createLinkFont() {
    HGDIOBJ base =
        normalFont_ != nullptr ? static_cast<HGDIOBJ>(normalFont_) : GetStockObject(SYSTEM_FONT);
    LOGFONTW description = {};
    if (GetObjectW(base, sizeof description, &description) == 0) {
        return;
    }
    description.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&description));
}

// The user's colours are only read: a profile that refuses write access to the
// key must not lose them.
void HyperlinkControl::readLinkColours() {
    platform::UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0,
                      KEY_READ, key.put()) != ERROR_SUCCESS) {
        return;
    }
    readColour(key.get(), L"Anchor Color", linkColour_);
    readColour(key.get(), L"Anchor Color Visited", visitedColour_);
}

UINT HyperlinkControl::alignment() const noexcept {
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    return (style & SS_CENTER) != 0 ? DT_CENTER : (style & SS_RIGHT) != 0 ? DT_RIGHT : DT_LEFT;
}

void HyperlinkControl::computeLinkRectangle() {
    RECT client = {};
    GetClientRect(window_, &client);
    linkRectangle_ = client;
    if (!paintLabel_) {
        return;
    }
    WindowDc dc(window_);
    if (dc.get() == nullptr) {
        return;
    }
    HGDIOBJ previousFont = SelectObject(dc.get(), linkFont_ ? linkFont_.get() : normalFont_);
    RECT measured = {0, 0, client.right, client.bottom};
    const std::wstring& text = shownText();
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &measured,
              DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc.get(), previousFont);
    LONG unused = client.right - measured.right;
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    LONG shift = (style & SS_CENTER) != 0 ? unused / 2 : (style & SS_RIGHT) != 0 ? unused : 0;
    OffsetRect(&measured, shift, 0);
    linkRectangle_ = measured;
}

void HyperlinkControl::paint(HDC dc) {
    RECT client = {};
    GetClientRect(window_, &client);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(window_), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(window_)));
    if (brush != nullptr) {
        FillRect(dc, &client, brush);
    }
    int previousMode = SetBkMode(dc, TRANSPARENT);
    COLORREF colour = !IsWindowEnabled(window_) ? GetSysColor(COLOR_GRAYTEXT)
                      : visited_                ? visitedColour_
                                                : linkColour_;
    COLORREF previousColour = SetTextColor(dc, colour);
    HGDIOBJ previousFont = SelectObject(dc, linkFont_ ? linkFont_.get() : normalFont_);
    RECT drawn = linkRectangle_;
    const std::wstring& text = shownText();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &drawn, DT_WORDBREAK | alignment());
    if (GetFocus() == window_) {
        DrawFocusRect(dc, &linkRectangle_);
    }
    SelectObject(dc, previousFont);
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
}

bool HyperlinkControl::insideLink(POINT point) const noexcept {
    return PtInRect(&linkRectangle_, point) != 0;
}

bool HyperlinkControl::navigate() {
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        return false;
    }
    visited_ = true;
    InvalidateRect(window_, nullptr, TRUE);
    return true;
}

LRESULT HyperlinkControl::passOn(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(previous_, window_, message, wParam, lParam);
}

// Each handler sets `handled` when the message is the link's alone; everything
// else goes on to the static control.
LRESULT HyperlinkControl::handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (isMouseMessage(message) && tooltip_) {
        MSG relayed = {window_, message, wParam, lParam, 0, {}};
        SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    handled = true;
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_SETCURSOR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return handleMouse(message, lParam, handled);
    case WM_CHAR:
    case WM_GETDLGCODE:
        return handleKeyboard(message, wParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case WM_ERASEBKGND:
    case WM_ENABLE:
    case WM_SIZE:
        return handleDrawing(message, wParam, handled);
    case WM_SETFONT:
        setFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(normalFont_);
    case WM_UPDATEUISTATE:
        return 0;
    case WM_DESTROY:
        releaseResources();
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

LRESULT HyperlinkControl::handleMouse(UINT message, LPARAM lParam, bool& handled) {
    POINT point = clientPoint(lParam);
    switch (message) {
    case WM_MOUSEMOVE:
        handled = insideLink(point) && !target_.empty();
        if (handled) {
            SetCursor(handCursor_);
        }
        return 0;
    case WM_SETCURSOR: {
        POINT pointer = {};
        GetCursorPos(&pointer);
        ScreenToClient(window_, &pointer);
        handled = insideLink(pointer) && !target_.empty();
        return handled ? TRUE : 0;
    }
    case WM_LBUTTONDOWN:
        if (insideLink(point)) {
            SetFocus(window_);
            SetCapture(window_);
        }
        return 0;
    default: // WM_LBUTTONUP
        if (GetCapture() == window_) {
            ReleaseCapture();
        }
        if (insideLink(point)) {
            navigate();
        }
        return 0;
    }
}

LRESULT HyperlinkControl::handleKeyboard(UINT message, WPARAM wParam) {
    if (message == WM_CHAR) {
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            navigate();
        }
        return 0;
    }
    // WM_GETDLGCODE: characters only would leave Enter to the dialog, which makes
    // it the default button's click; the link asks for that key as well.
    if (wParam == VK_RETURN) {
        return DLGC_WANTCHARS | DLGC_WANTMESSAGE;
    }
    return DLGC_WANTCHARS;
}

LRESULT HyperlinkControl::handleDrawing(UINT message, WPARAM wParam, bool& handled) {
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        handled = paintLabel_;
        if (handled) {
            InvalidateRect(window_, nullptr, TRUE);
        }
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        handled = paintLabel_;
        if (handled && message == WM_PRINTCLIENT) {
            paint(reinterpret_cast<HDC>(wParam));
        } else if (handled) {
            PAINTSTRUCT painting = {};
            HDC dc = BeginPaint(window_, &painting);
            if (dc != nullptr) {
                paint(dc);
            }
            EndPaint(window_, &painting);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
        return 0;
    default: // WM_SIZE
        computeLinkRectangle();
        InvalidateRect(window_, nullptr, TRUE);
        return 0;
    }
}

void HyperlinkControl::setFont(HFONT font, bool redraw) {
    ownedNormalFont_.reset();
    normalFont_ = font;
    if (linkFont_) {
        linkFont_.reset();
        createLinkFont();
    }
    computeLinkRectangle();
    if (redraw) {
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }
}

// The dialog that owns the tooltip may have destroyed it already.
void HyperlinkControl::releaseResources() {
    if (!IsWindow(tooltip_.get())) {
        tooltip_.release();
    }
    tooltip_.reset();
    linkFont_.reset();
    ownedNormalFont_.reset();
}

LRESULT CALLBACK HyperlinkControl::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    auto* control = static_cast<HyperlinkControl*>(GetPropW(window, kObjectProperty));
    if (control == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        LRESULT result = control->passOn(message, wParam, lParam);
        if (GetWindowLongPtrW(window, GWLP_WNDPROC) ==
            reinterpret_cast<LONG_PTR>(&HyperlinkControl::windowProcedure)) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control->previous_));
        }
        RemovePropW(window, kObjectProperty);
        control->window_ = nullptr;
        return result;
    }
    bool handled = false;
    LRESULT result = control->handle(message, wParam, lParam, handled);
    return handled ? result : control->passOn(message, wParam, lParam);
}

} // namespace launcher::ui
