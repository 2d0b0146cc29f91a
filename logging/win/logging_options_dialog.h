#pragma once
// "Logging Options" (resource LOGGING_OPTIONS): the columns of an Export View log and the size
// limit of the log file.
#include "logging/log_control.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "shell/seat.h"

#include <windows.h>

namespace brixtel::win {

struct LoggingOptionsPartners {
    HINSTANCE instance = nullptr;
    LogControl& log;
    Settings& settings; // the view; LogSize's copy
    Registry& registry;
    Seat& seat; // the Main window's
};

// Modal over `owner`; true after OK (the options are taken), false after Cancel (nothing
// changed).
bool show_logging_options_dialog(HWND owner, LoggingOptionsPartners& partners);

} // namespace brixtel::win
