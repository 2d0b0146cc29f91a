#include "shell/win/window_seat.h"

#include "shell/win/app.h"
#include "shell/win/reporting.h"

#include <string>

namespace brixtel::win {

int WindowSeat::message_box(StringId text, StringId caption, unsigned flags,
                            std::span<const MessageArg> inserts) {
    // A text without inserts goes through the plain routine, so a "%" in it is shown as is.
    if (inserts.empty())
        return brixtel::message_box(app_.main_window, text, caption, flags);
    return formatted_message_box(app_.main_window, text, caption, flags, inserts);
}

// Worker threads never wait for the main thread to show a text.
void WindowSeat::set_status_text(int part, std::wstring_view text) {
    HWND window = app_.main_window;
    if (window && GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        app_.status_bar.hand_over(part, text);
    else
        app_.status_bar.set_text(part, text);
}

void WindowSeat::set_window_title(std::wstring_view title) {
    SetWindowTextW(app_.main_window, std::wstring(title).c_str());
}

void WindowSeat::enable_command(Command command, bool enabled) {
    EnableMenuItem(GetMenu(app_.main_window), static_cast<UINT>(command),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void WindowSeat::check_command(Command command, bool checked) {
    CheckMenuItem(GetMenu(app_.main_window), static_cast<UINT>(command),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace brixtel::win
