#pragma once
// The program's only top-level window: its class, creation and message handling.
#include "shell/win/app.h"

namespace brixtel::win {

inline constexpr wchar_t kMainWindowClass[] = L"Brixtel";

ATOM register_main_window_class(App& app);
HWND create_main_window(App& app);

// The Tag list dialog in load mode, for a start-up that found several lists and none named
// as the last loaded. The dialog arrives with the tag list commands; until then the program
// starts without a list.
void open_tag_list_dialog_for_load(App& app);

// Checks one of the two view items and unchecks the other.
void check_view_items(HWND window, bool debug_view);

} // namespace brixtel::win
