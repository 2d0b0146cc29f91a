#pragma once
// Start-up and the message loop: runs once on the main thread.
#include <windows.h>

#include <string_view>

namespace brixtel::win {

// Returns the process exit code: the WM_QUIT code, or 0 when start-up stops early.
int run_program(HINSTANCE instance, std::wstring_view command_line, int show_command);

} // namespace brixtel::win
