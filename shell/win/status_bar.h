#pragma once
// The six-part status bar of the main window.
#include <windows.h>

#include <string>
#include <string_view>

namespace brixtel::win {

enum StatusPart : int {
    StatusMonitoring = 0,
    StatusLogging = 1,
    StatusLogSize = 2,
    StatusLogFile = 3,
    StatusTransmission = 4,
    StatusConnection = 5,
};

class StatusBar {
  public:
    bool create(HWND parent);
    HWND handle() const { return window_; }
    // Sets a part's text and, so that a cut text can still be read, its tool tip.
    void set_text(int part, std::wstring_view text);
    std::wstring text(int part) const;
    void forward_size(WPARAM wparam, LPARAM lparam);

  private:
    HWND window_ = nullptr;
};

} // namespace brixtel::win
