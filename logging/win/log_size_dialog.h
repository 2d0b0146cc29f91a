#pragma once
// "Log File Size": the size limit of the log on its own, in MB, or no limit.
#include "platform/registry.h"
#include "settings/logging_options.h"
#include "settings/settings.h"
#include "shell/seat.h"

#include <windows.h>

namespace brixtel::win {

// What an accepted limit changes (see take_log_size).
struct LogSizeTargets {
    LoggingOptions& options;
    Settings& settings;
    Registry& registry;
    Seat& seat;
};

// Modal over `owner`, opened with the limit in use. Returns true when a limit was accepted,
// false after Cancel (nothing changed). The caller refreshes the status bar's log parts.
bool run_log_size_dialog(HINSTANCE instance, HWND owner, LogSizeTargets targets);

} // namespace brixtel::win
