#pragma once
// The six-part status bar of the main window.
#include <windows.h>

#include <array>
#include <mutex>
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

// Texts handed over by other threads wait to be taken (posted by the bar to its parent).
inline constexpr UINT kStatusTextMessage = WM_APP + 1;
// The parent's timer after which the texts set meanwhile are shown: at most twenty times a
// second, as often as anyone can read them.
inline constexpr UINT_PTR kStatusShowTimer = 5;
inline constexpr UINT kStatusShowDelayMs = 50;

class StatusBar {
  public:
    bool create(HWND parent);
    HWND handle() const { return window_; }
    // Sets a part's text and, so that a cut text can still be read, its tool tip. The bar
    // shows it within kStatusShowDelayMs: at full speed every request and every answer sets
    // a text, and drawing the bar for each would cost more than all the rest. A text the part
    // already has is not set again. The window's own thread only; other threads hand theirs
    // over.
    void set_text(int part, std::wstring_view text);
    // kStatusShowTimer: shows the texts set since the last time, then the bar at once.
    void show_texts();
    // From any thread: the text waits for the window's thread, which takes it when it gets
    // to kStatusTextMessage; the thread does not wait. Of texts handed over for a part before
    // the window's thread gets there, the last one counts.
    void hand_over(int part, std::wstring_view text);
    // kStatusTextMessage: sets the texts handed over since the last time.
    void take_handed_over();
    // The text last set in the part, shown or about to be.
    std::wstring text(int part) const;
    void forward_size(WPARAM wparam, LPARAM lparam);

  private:
    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    std::array<std::wstring, 6> texts_;
    unsigned changed_ = 0; // a bit per part whose text waits to be shown
    bool show_scheduled_ = false;
    // Texts from other threads, under their own lock.
    std::mutex handed_lock_;
    std::array<std::wstring, 6> handed_;
    unsigned handed_parts_ = 0;
    bool take_posted_ = false;
};

} // namespace brixtel::win
