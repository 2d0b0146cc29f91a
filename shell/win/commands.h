#pragma once
// The menu commands 40001 to 40028 of the Main window.
#include "shell/win/app.h"

namespace brixtel::win {

// Carries out a command; false for an identifier no menu item carries, which then goes on to
// the default window procedure.
bool run_command(App& app, HWND window, UINT command);

// What closing the window does (also the end of Exit): monitoring off with every point
// removed, unsaved tags offered for saving, the View buffer emptied, the window destroyed.
void close_main_window(App& app, HWND window);

// Checks one of the two view items and unchecks the other.
void check_view_items(HWND window, bool debug_view);

} // namespace brixtel::win
