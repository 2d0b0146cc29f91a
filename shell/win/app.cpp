#include "shell/win/app.h"

namespace brixtel::win {

std::wstring logged_on_user_name() {
    constexpr DWORD kUserNameChars = 64;
    wchar_t name[kUserNameChars] = {};
    DWORD size = kUserNameChars;
    if (!GetUserNameW(name, &size))
        return {};
    return name;
}

bool start_window_timer(App& app, UINT_PTR timer, UINT period_ms) {
    const UINT_PTR id = SetTimer(app.main_window, timer, period_ms, nullptr);
    app.timers.at(timer - 1) = id;
    return id != 0;
}

void stop_window_timer(App& app, UINT_PTR timer) {
    UINT_PTR& id = app.timers.at(timer - 1);
    if (id != 0)
        KillTimer(app.main_window, timer);
    id = 0;
}

} // namespace brixtel::win
