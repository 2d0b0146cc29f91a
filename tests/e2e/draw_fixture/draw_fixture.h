// What the draw fixture draws, shared by the fixture and the test that records it.
#pragma once

#include <windows.h>

namespace brixtel::e2e::draw_fixture {

inline constexpr wchar_t kTitle[] = L"Draw fixture";
// Posted to the fixture's window: draw kDirectText outside any paint, or scroll kScrollArea.
inline constexpr UINT kDrawDirect = WM_APP + 1;
inline constexpr UINT kScroll = WM_APP + 2;
inline constexpr UINT kMenuDrawDirect = 101;

struct Line {
    int x;
    int y;
    COLORREF color;
    COLORREF back;
    bool opaque; // ExtTextOutW fills kLineHeight behind the text
    const wchar_t* text;
};

inline constexpr int kLineHeight = 16;
// Painted in this order with ExtTextOutW; two texts share the first row.
inline constexpr Line kLines[] = {
    {10, 10, RGB(0, 0, 255), RGB(255, 255, 255), false, L"Blue request line"},
    {200, 10, RGB(0, 128, 0), RGB(255, 255, 255), false, L"Green answer"},
    {10, 30, RGB(0, 128, 0), RGB(255, 255, 224), true, L"Opaque green line"},
    {40, 50, RGB(128, 0, 128), RGB(255, 255, 255), false, L"Purple"},
};
// Painted after the lines with TextOutW.
inline constexpr int kTextOutX = 10;
inline constexpr int kTextOutY = 70;
inline constexpr COLORREF kTextOutColor = RGB(255, 0, 0);
inline constexpr wchar_t kTextOutText[] = L"Drawn with TextOutW";
// Painted last: a text longer than the recorder keeps, clipped to a rectangle.
inline constexpr int kLongTextY = 90;
inline constexpr int kLongTextLength = 300;
inline constexpr RECT kLongTextClip = {10, 90, 410, 106};

inline constexpr int kDirectX = 10;
inline constexpr int kDirectY = 130;
inline constexpr COLORREF kDirectColor = RGB(0, 0, 128);
inline constexpr wchar_t kDirectText[] = L"Drawn outside a paint";

inline constexpr RECT kScrollArea = {0, 30, 400, 110};
inline constexpr int kScrollDy = -kLineHeight;
inline constexpr UINT kScrollFlags = SW_INVALIDATE | SW_ERASE;

} // namespace brixtel::e2e::draw_fixture
