#include "tests/e2e/driver/screenshot.h"

#include <windows.h>

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

bool write_bmp(const std::wstring& path, const std::vector<BYTE>& bits,
               const BITMAPINFOHEADER& info) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + bits.size());
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out)
        return false;
    const bool ok = fwrite(&file, sizeof file, 1, out) == 1 &&
                    fwrite(&info, sizeof info, 1, out) == 1 &&
                    fwrite(bits.data(), 1, bits.size(), out) == bits.size();
    return fclose(out) == 0 && ok;
}

} // namespace

bool save_screenshot(const std::wstring& path) {
    ScreenDc screen;
    if (!screen.dc)
        return false;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC memory = CreateCompatibleDC(screen.dc);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.dc, width, height);
    bool ok = memory && bitmap;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen.dc, 0, 0, SRCCOPY) != 0;
        SelectObject(memory, old);
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height; // bottom-up rows, as BMP files store them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<BYTE> bits(stride * static_cast<size_t>(height));
    if (ok)
        ok = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bits.data(),
                       reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    return ok && write_bmp(path, bits, info);
}

} // namespace brixtel::e2e
