// A picture of the whole (virtual) screen, kept when a test fails so a reader can see which
// dialog or message box was in the way.
#pragma once

#include <string>

namespace brixtel::e2e {

// Writes the screen as a 24-bit BMP file; false when it cannot be captured or written.
bool save_screenshot(const std::wstring& path);

} // namespace brixtel::e2e
