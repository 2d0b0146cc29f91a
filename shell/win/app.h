#pragma once
// The program-wide state: created by start-up, reached by the main window procedure.
#include <windows.h>

#include "logging/win/default_log_location.h"
#include "platform/win/system_registry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "shell/win/status_bar.h"
#include "shell/win/window_seat.h"
#include "tags/database_files.h"
#include "tags/database_names.h"
#include "tags/tag_list_load.h"

#include <string>
#include <vector>

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
    WindowSeat seat{*this};
    SystemRegistry registry;
    std::wstring user_suffix; // " from <user>", or empty when the name is unknown

    Win32LogFolderSystem log_folders; // asks once whether the program runs from a CD
    TagDatabases databases;
    TagDatabaseNames database_names{databases};
    TagListState tag_lists;
    CurrentLogging current_logging;

    // The configured loops as stored; the loop configuration takes them over.
    std::vector<StoredLoopEntry> loop_entries;
};

} // namespace brixtel::win
