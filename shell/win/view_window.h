#pragma once
// The views' drawing surface on Win32: the Main window (client area, scroll bars, scrolling)
// and a device context with the stock fixed font on white.
#include "shell/view_surface.h"
#include "shell/views.h"

#include <windows.h>

namespace brixtel::win {

inline constexpr COLORREF kReceivedColour = RGB(0, 128, 0);
inline constexpr COLORREF kSentColour = RGB(0, 0, 255);

// Selects the font and background on construction and restores the context's own on
// destruction.
class GdiCanvas : public ViewCanvas {
  public:
    explicit GdiCanvas(HDC dc);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    ViewRect clip_box() override;
    void set_colour(TextColour colour) override;
    int text_height(std::wstring_view text) override;
    bool draw_text(int x, int y, std::wstring_view text, std::optional<ViewRect> fill) override;

  private:
    HDC dc_;
    HGDIOBJ old_font_;
    COLORREF old_text_colour_;
    COLORREF old_background_;
};

class MainViewWindow : public ViewWindow {
  public:
    explicit MainViewWindow(HWND window) : window_(window) {}

    ViewRect client_rect() override;
    void invalidate(bool erase) override;
    void validate(const ViewRect& area) override;
    void scroll(int dx, int dy, std::optional<ViewRect> area,
                std::optional<ViewRect> clip) override;
    ScrollBarState scroll_bar(ScrollBar bar) override;
    void set_scroll_bar(ScrollBar bar, const ScrollBarUpdate& update, bool redraw) override;
    void update() override;

  private:
    HWND window_;
};

// A context of the window for direct drawing, released on destruction.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The request of a WM_HSCROLL or WM_VSCROLL.
ScrollRequest scroll_request_of(WORD code);

} // namespace brixtel::win
