#include "tests/e2e/driver/screenshot.h"

#include "tests/e2e/driver/wait.h"

#include <cstdio>
#include <vector>

namespace brixtel::e2e {

namespace {

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() {
        if (dc)
            ReleaseDC(nullptr, dc);
    }
};

// A screen area as a bottom-up 24-bit DIB, the way BMP files store it.
struct Picture {
    BITMAPINFOHEADER info{};
    std::vector<BYTE> bits;
};

bool capture(const RECT& area, Picture* picture) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    ScreenDc screen;
    if (!screen.dc)
        return false;
    HDC memory = CreateCompatibleDC(screen.dc);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.dc, width, height);
    bool ok = memory && bitmap;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen.dc, area.left, area.top, SRCCOPY) != 0;
        SelectObject(memory, old);
    }
    BITMAPINFOHEADER& info = picture->info;
    info = BITMAPINFOHEADER{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    picture->bits.assign(stride * static_cast<size_t>(height), 0);
    if (ok)
        ok = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), picture->bits.data(),
                       reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    return ok;
}

bool one_colour(const Picture& picture) {
    const size_t width = static_cast<size_t>(picture.info.biWidth);
    const size_t stride = (width * 3 + 3) & ~size_t{3};
    const BYTE* first = picture.bits.data();
    for (size_t row = 0; row * stride < picture.bits.size(); ++row)
        for (size_t x = 0; x < width; ++x) {
            const BYTE* pixel = first + row * stride + x * 3;
            if (pixel[0] != first[0] || pixel[1] != first[1] || pixel[2] != first[2])
                return false;
        }
    return true;
}

bool write_bmp(const std::wstring& path, const Picture& picture) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof picture.info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + picture.bits.size());
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out)
        return false;
    const bool ok = fwrite(&file, sizeof file, 1, out) == 1 &&
                    fwrite(&picture.info, sizeof picture.info, 1, out) == 1 &&
                    fwrite(picture.bits.data(), 1, picture.bits.size(), out) == picture.bits.size();
    return fclose(out) == 0 && ok;
}

} // namespace

bool save_screenshot(const std::wstring& path) {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    Picture picture;
    return capture(screen, &picture) && write_bmp(path, picture);
}

bool save_window_screenshot(HWND window, const std::wstring& path) {
    if (!IsWindow(window) || !IsWindowVisible(window))
        return false;
    // The window may belong to another process: the repaint is its own, and it may still be
    // under way when RedrawWindow returns.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    Picture last, next;
    poll_until(
        [&] {
            RECT frame{}, area{};
            if (!GetWindowRect(window, &frame) || !IntersectRect(&area, &frame, &screen) ||
                !capture(area, &next))
                return false;
            const bool settled = last.info.biWidth == next.info.biWidth &&
                                 last.info.biHeight == next.info.biHeight && last.bits == next.bits;
            std::swap(last, next);
            return settled;
        },
        3s, 100ms);
    // A window whose contents keep changing (live values) is kept as last seen.
    return !last.bits.empty() && !one_colour(last) && write_bmp(path, last);
}

} // namespace brixtel::e2e
