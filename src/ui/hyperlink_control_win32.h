// A static text control of a dialog turned into a link that the shell opens.
#pragma once

#include "ui/ui_handles_win32.h"

#include <string>
#include <windows.h>

namespace launcher::ui {

class HyperlinkControl {
  public:
    HyperlinkControl() = default;
    ~HyperlinkControl() = default;
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;

    // The font the link is drawn from (underlined); not owned. Set before attach.
    void setNormalFont(HFONT font) noexcept { normalFont_ = font; }
    // Takes over the static control's window procedure; false (the control stays
    // plain text) when it cannot.
    bool attach(HWND window);
    // Opens the target with the shell; on success the link is drawn as visited.
    bool navigate();

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT handleMouse(UINT message, LPARAM lParam, bool& handled);
    LRESULT handleKeyboard(UINT message, WPARAM wParam);
    LRESULT handleDrawing(UINT message, WPARAM wParam, bool& handled);
    void setFont(HFONT font, bool redraw);
    void releaseResources();
    LRESULT passOn(UINT message, WPARAM wParam, LPARAM lParam);
    void createLinkFont();
    void readLinkColours();
    void computeLinkRectangle();
    void paint(HDC dc);
    bool insideLink(POINT point) const noexcept;
    const std::wstring& shownText() const noexcept { return label_.empty() ? target_ : label_; }
    UINT alignment() const noexcept;

    HWND window_ = nullptr;
    WNDPROC previous_ = DefWindowProcW;
    std::wstring label_;
    std::wstring target_;
    HCURSOR handCursor_ = nullptr; // a shared system cursor: never destroyed
    UniqueFont linkFont_;
    HFONT normalFont_ = nullptr;
    UniqueFont ownedNormalFont_; // when the normal font was made here
    RECT linkRectangle_ = {};
    UniqueWindow tooltip_;
    COLORREF linkColour_ = RGB(0, 0, 255);
    COLORREF visitedColour_ = RGB(128, 0, 128);
    bool paintLabel_ = true;
    bool visited_ = false;
};

} // namespace launcher::ui
