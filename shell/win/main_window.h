#pragma once
// The program's only top-level window: its class, creation and message handling.
#include "shell/win/app.h"

namespace brixtel::win {

inline constexpr wchar_t kMainWindowClass[] = L"Brixtel";

ATOM register_main_window_class(App& app);
HWND create_main_window(App& app);

// Checks one of the two view items and unchecks the other.
void check_view_items(HWND window, bool debug_view);

} // namespace brixtel::win
