#pragma once
// The six-part status bar of the main window.
#include "core/win/posted_texts.h"

#include <windows.h>

#include <array>
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

// A status text posted from another thread: wParam the part, lParam the text (PostedTexts).
inline constexpr UINT kStatusTextMessage = WM_APP + 1;

class StatusBar {
  public:
    explicit StatusBar(PostedTexts& posted) : posted_(posted) {}

    bool create(HWND parent);
    HWND handle() const { return window_; }
    // Sets a part's text and, so that a cut text can still be read, its tool tip. A text the
    // part already shows is not set again: at full speed each request and answer sets one.
    // The window's own thread only; other threads go through post_text.
    void set_text(int part, std::wstring_view text);
    // From any thread: the text is handed to the window's thread, in order, without waiting
    // for it. The Main window passes kStatusTextMessage on to take_posted_text.
    void post_text(HWND main_window, int part, std::wstring_view text);
    void take_posted_text(WPARAM part, LPARAM text);
    std::wstring text(int part) const;
    void forward_size(WPARAM wparam, LPARAM lparam);

  private:
    PostedTexts& posted_;
    HWND window_ = nullptr;
    std::array<std::wstring, 6> shown_;
};

} // namespace brixtel::win
