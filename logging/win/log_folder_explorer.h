#pragma once
// "Launch Windows Explorer" (40028): Explorer opens the log folder.
#include "shell/seat.h"

#include <windows.h>

#include <string>

namespace brixtel::win {

// Opens Explorer on `folder`, owned by `window`; a failure is explained in a stop box.
void launch_log_folder_explorer(HWND window, const std::wstring& folder, Seat& seat);

} // namespace brixtel::win
