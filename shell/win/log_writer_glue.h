#pragma once
// The one place where the Log Data command and the logging dialogs reach the log writer and
// the logging state around it.
#include "logging/log_control.h"

#include <windows.h>

#include <string_view>

namespace brixtel::win {

struct App;

// The log writer of the program.
LogControl& log_control(App& app);

// The log writer's folder creation for a folder the user typed: every missing level, with its
// messages owned by `owner`. False when the folder could not be made.
bool create_log_folder(App& app, HWND owner, std::wstring_view folder);

// Whether the synchronized start logs (SyncLog); switching logging off then brings the user's
// own log file back.
bool sync_logging_on(App& app);

} // namespace brixtel::win
