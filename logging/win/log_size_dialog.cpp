#include "logging/win/log_size_dialog.h"

#include "logging/log_size_entry.h"
#include "shell/win/limit_dialog.h"
#include "shell/win/resource_ids.h"

namespace brixtel::win {

bool run_log_size_dialog(HINSTANCE instance, HWND owner, LogSizeTargets targets) {
    LimitDialog dialog;
    dialog.resource = L"LogSize";
    dialog.field_id = IDC_LOG_SIZE_LIMIT;
    dialog.no_limit_id = IDC_LOG_SIZE_NO_LIMIT;
    dialog.field_chars = 1024;
    dialog.current = targets.options.log_size;
    dialog.focus_number = true;
    dialog.check = check_log_size_entry;
    dialog.accept = [&targets](std::uint32_t limit) {
        take_log_size(limit, targets.options, targets.settings, targets.registry, targets.seat);
    };
    return run_limit_dialog(instance, owner, dialog);
}

} // namespace brixtel::win
