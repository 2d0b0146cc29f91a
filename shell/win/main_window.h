#pragma once
// The program's only top-level window: its class, creation and message handling.
#include "shell/win/app.h"

namespace brixtel::win {

inline constexpr wchar_t kMainWindowClass[] = L"Brixtel";

ATOM register_main_window_class(App& app);
HWND create_main_window(App& app);

} // namespace brixtel::win
