#pragma once
// "Type of Logging" (resource LOGTYPE): what to log, to which file, and whether the file's old
// contents go; with the "Log Alert" it shows after a past-data-only choice.
#include "logging/default_log_location.h"
#include "logging/log_control.h"
#include "logging/log_type_entry.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "shell/seat.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string_view>

namespace brixtel::win {

struct LogTypeDialogPartners {
    HINSTANCE instance = nullptr;
    LogControl& log;
    Settings& settings; // the view; the alert setting, cleared when the user turns it off
    Registry& registry;
    Seat& seat; // the Main window's
    LogFolderSystem& folders;
    // The log writer's folder creation, its messages owned by `owner`.
    std::function<bool(HWND owner, std::wstring_view folder)> create_log_folder;
    // The Logging Options dialog, opened over this one.
    std::function<void(HWND owner)> run_logging_options;
};

// Modal over `owner`. The choice after OK (already taken into the log's settings), nothing
// after Cancel.
std::optional<LogTypeChoice> run_log_type_dialog(HWND owner, LogTypeDialogPartners& partners);

} // namespace brixtel::win
