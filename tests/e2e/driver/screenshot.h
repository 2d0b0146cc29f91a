// Pictures of the (virtual) screen: the whole of it, kept when a test fails so a reader can see
// which dialog or message box was in the way, or one window cut out of it, for the user guide.
#pragma once

#include <windows.h>

#include <string>

namespace brixtel::e2e {

// Writes the screen as a 24-bit BMP file; false when it cannot be captured or written.
bool save_screenshot(const std::wstring& path);

// Writes the part of the screen that the window covers (its frame and caption included, the
// part outside the screen left out) as a 24-bit BMP file. The window is repainted first and the
// picture taken once two captures in a row agree, so a half-painted window is not kept. False
// when the window is gone or hidden, when the picture is one colour only (nothing was drawn, or
// the capture gave a black rectangle), or when it cannot be written.
bool save_window_screenshot(HWND window, const std::wstring& path);

} // namespace brixtel::e2e
