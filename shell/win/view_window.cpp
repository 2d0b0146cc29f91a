#include "shell/win/view_window.h"

namespace brixtel::win {

namespace {

RECT rect_of(const ViewRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

ViewRect view_rect_of(const RECT& r) {
    return ViewRect{r.left, r.top, r.right, r.bottom};
}

int bar_of(ScrollBar bar) {
    return bar == ScrollBar::Vertical ? SB_VERT : SB_HORZ;
}

} // namespace

GdiCanvas::GdiCanvas(HDC dc)
    : dc_(dc), old_font_(SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT))),
      old_text_colour_(GetTextColor(dc)), old_background_(SetBkColor(dc, RGB(255, 255, 255))) {}

GdiCanvas::~GdiCanvas() {
    SetTextColor(dc_, old_text_colour_);
    SetBkColor(dc_, old_background_);
    SelectObject(dc_, old_font_);
}

ViewRect GdiCanvas::clip_box() {
    RECT box{};
    GetClipBox(dc_, &box);
    return view_rect_of(box);
}

void GdiCanvas::set_colour(TextColour colour) {
    switch (colour) {
    case TextColour::Received:
        SetTextColor(dc_, kReceivedColour);
        return;
    case TextColour::Sent:
        SetTextColor(dc_, kSentColour);
        return;
    case TextColour::Header:
        SetTextColor(dc_, old_text_colour_);
        return;
    }
}

int GdiCanvas::text_height(std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cy;
}

bool GdiCanvas::draw_text(int x, int y, std::wstring_view text, std::optional<ViewRect> fill) {
    const int length = static_cast<int>(text.size());
    RECT area{};
    if (fill) {
        area = rect_of(*fill);
    } else {
        SIZE size{};
        GetTextExtentPoint32W(dc_, text.data(), length, &size);
        area = RECT{x, y, x + size.cx, y + size.cy};
    }
    return ExtTextOutW(dc_, x, y, ETO_OPAQUE, &area, text.data(), static_cast<UINT>(length),
                       nullptr) != FALSE;
}

ViewRect MainViewWindow::client_rect() {
    RECT client{};
    GetClientRect(window_, &client);
    return view_rect_of(client);
}

void MainViewWindow::invalidate(bool erase) {
    InvalidateRect(window_, nullptr, erase ? TRUE : FALSE);
}

void MainViewWindow::validate(const ViewRect& area) {
    const RECT drawn = rect_of(area);
    ValidateRect(window_, &drawn);
}

void MainViewWindow::scroll(int dx, int dy, std::optional<ViewRect> area,
                            std::optional<ViewRect> clip) {
    const RECT scroll_area = area ? rect_of(*area) : RECT{};
    const RECT clip_area = clip ? rect_of(*clip) : RECT{};
    ScrollWindowEx(window_, dx, dy, area ? &scroll_area : nullptr, clip ? &clip_area : nullptr,
                   nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

ScrollBarState MainViewWindow::scroll_bar(ScrollBar bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window_, bar_of(bar), &info))
        return {};
    return {info.nMin, info.nMax, static_cast<int>(info.nPage), info.nPos};
}

void MainViewWindow::set_scroll_bar(ScrollBar bar, const ScrollBarUpdate& update, bool redraw) {
    const ScrollBarState now = scroll_bar(bar);
    const auto same = [](const std::optional<int>& wanted, int value) {
        return !wanted || *wanted == value;
    };
    // Redrawing a bar is far from free, and most updates change nothing.
    if (same(update.min, now.min) && same(update.max, now.max) && same(update.page, now.page) &&
        same(update.position, now.position))
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    if (update.min || update.max) {
        info.fMask |= SIF_RANGE;
        info.nMin = update.min.value_or(now.min);
        info.nMax = update.max.value_or(now.max);
    }
    if (update.page) {
        info.fMask |= SIF_PAGE;
        info.nPage = static_cast<UINT>(*update.page);
    }
    if (update.position) {
        info.fMask |= SIF_POS;
        info.nPos = *update.position;
    }
    SetScrollInfo(window_, bar_of(bar), &info, redraw ? TRUE : FALSE);
}

void MainViewWindow::update() {
    UpdateWindow(window_);
}

ScrollRequest scroll_request_of(WORD code) {
    switch (code) {
    case SB_LINEUP:
        return ScrollRequest::LineUp;
    case SB_LINEDOWN:
        return ScrollRequest::LineDown;
    case SB_PAGEUP:
        return ScrollRequest::PageUp;
    case SB_PAGEDOWN:
        return ScrollRequest::PageDown;
    case SB_THUMBTRACK:
        return ScrollRequest::ThumbTrack;
    case SB_THUMBPOSITION:
        return ScrollRequest::ThumbPosition;
    case SB_TOP:
        return ScrollRequest::Top;
    case SB_BOTTOM:
        return ScrollRequest::Bottom;
    default:
        return ScrollRequest::Other;
    }
}

} // namespace brixtel::win
