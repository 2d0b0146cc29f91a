#pragma once
// The program-wide state: created by start-up, reached by the main window procedure.
#include <windows.h>

#include "settings/settings.h"
#include "shell/win/status_bar.h"

#include <string>

namespace brixtel::win {

// Font metrics of the views and the smallest size the window may be dragged to.
struct WindowMetrics {
    int char_width = 0;
    int line_height = 0;
    POINT min_track_size{};
    int client_width = 0;
    int client_height = 0;
};

struct App {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    ATOM window_class = 0;
    Settings settings;
    WindowMetrics metrics;
    StatusBar status_bar;
    std::wstring user_suffix; // " from <user>", or empty when the name is unknown
    bool loop_configuration_known = false;
};

} // namespace brixtel::win
