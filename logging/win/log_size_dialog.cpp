#include "logging/win/log_size_dialog.h"

#include "logging/log_size_entry.h"
#include "shell/win/entry_refusal.h"
#include "shell/win/reporting.h"
#include "shell/win/resource_ids.h"

#include <string>

namespace brixtel::win {
namespace {

constexpr int kFieldChars = 1024;

bool no_limit_ticked(HWND dialog) {
    return IsDlgButtonChecked(dialog, IDC_LOG_SIZE_NO_LIMIT) == BST_CHECKED;
}

void on_init(HWND dialog, LogSizeTargets& targets) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&targets));
    HWND field = GetDlgItem(dialog, IDC_LOG_SIZE_LIMIT);
    const std::uint32_t limit = targets.options.log_size;
    if (limit == 0) {
        CheckDlgButton(dialog, IDC_LOG_SIZE_NO_LIMIT, BST_CHECKED);
        EnableWindow(field, FALSE);
        SetFocus(GetDlgItem(dialog, IDOK));
    } else {
        SetDlgItemTextW(dialog, IDC_LOG_SIZE_LIMIT, std::to_wstring(limit).c_str());
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
    center_window(dialog, GetParent(dialog));
}

void on_ok(HWND dialog, LogSizeTargets& targets) {
    wchar_t field[kFieldChars + 1] = {};
    GetDlgItemTextW(dialog, IDC_LOG_SIZE_LIMIT, field, kFieldChars + 1);
    const NumberEntry entry = check_log_size_entry(no_limit_ticked(dialog), field);
    if (entry.refusal)
        return show_entry_refusal(dialog, IDC_LOG_SIZE_LIMIT, *entry.refusal);
    take_log_size(entry.value, targets.options, targets.settings, targets.registry, targets.seat);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK log_size_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* targets = reinterpret_cast<LogSizeTargets*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<LogSizeTargets*>(lparam));
        return FALSE; // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_LOG_SIZE_NO_LIMIT:
            EnableWindow(GetDlgItem(dialog, IDC_LOG_SIZE_LIMIT), !no_limit_ticked(dialog));
            return TRUE;
        case IDOK:
            if (targets)
                on_ok(dialog, *targets);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

bool run_log_size_dialog(HINSTANCE instance, HWND owner, LogSizeTargets targets) {
    return DialogBoxParamW(instance, L"LogSize", owner, log_size_procedure,
                           reinterpret_cast<LPARAM>(&targets)) == 1;
}

} // namespace brixtel::win
