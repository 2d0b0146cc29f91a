// A small window that draws known texts in known colours, for the draw recorder's own test:
// its paint draws the lines of draw_fixture.h, and posted messages draw a text outside any
// paint or scroll part of the client area. It registers the program's window class name so
// the driver finds it as it finds the program.
#include "tests/e2e/draw_fixture/draw_fixture.h"

#include <string>

namespace {

using namespace brixtel::e2e::draw_fixture;

void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SetBkMode(dc, OPAQUE);
    for (const Line& line : kLines) {
        SetTextColor(dc, line.color);
        SetBkColor(dc, line.back);
        const RECT band = {line.x, line.y, line.x + 180, line.y + kLineHeight};
        const std::wstring text = line.text;
        ExtTextOutW(dc, line.x, line.y, line.opaque ? ETO_OPAQUE : 0, line.opaque ? &band : nullptr,
                    text.c_str(), static_cast<UINT>(text.size()), nullptr);
    }
    SetTextColor(dc, kTextOutColor);
    SetBkColor(dc, RGB(255, 255, 255));
    TextOutW(dc, kTextOutX, kTextOutY, kTextOutText, lstrlenW(kTextOutText));
    std::wstring long_text;
    for (int index = 0; index < kLongTextLength; ++index)
        long_text += static_cast<wchar_t>(L'0' + index % 10);
    ExtTextOutW(dc, kLongTextClip.left, kLongTextY, ETO_CLIPPED, &kLongTextClip, long_text.c_str(),
                static_cast<UINT>(long_text.size()), nullptr);
    EndPaint(window, &ps);
}

void draw_direct(HWND window) {
    HDC dc = GetDC(window);
    SetTextColor(dc, kDirectColor);
    ExtTextOutW(dc, kDirectX, kDirectY, 0, nullptr, kDirectText, lstrlenW(kDirectText), nullptr);
    ReleaseDC(window, dc);
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case kDrawDirect:
        draw_direct(window);
        return 0;
    case kScroll:
        ScrollWindowEx(window, 0, kScrollDy, &kScrollArea, &kScrollArea, nullptr, nullptr,
                       kScrollFlags);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == kMenuDrawDirect)
            draw_direct(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HMENU make_menu() {
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, kMenuDrawDirect, L"Draw &directly");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"&Fixture");
    return bar;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = L"Brixtel";
    if (!RegisterClassW(&window_class))
        return 1;
    HWND window = CreateWindowW(L"Brixtel", kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 240, nullptr, make_menu(), instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
