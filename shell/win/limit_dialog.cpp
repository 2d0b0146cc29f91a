#include "shell/win/limit_dialog.h"

#include "shell/win/entry_refusal.h"
#include "shell/win/reporting.h"

#include <string>
#include <vector>

namespace brixtel::win {
namespace {

bool no_limit_ticked(HWND dialog, const LimitDialog& limits) {
    return IsDlgButtonChecked(dialog, limits.no_limit_id) == BST_CHECKED;
}

void on_init(HWND dialog, const LimitDialog& limits) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&limits));
    HWND field = GetDlgItem(dialog, limits.field_id);
    center_window(dialog, GetParent(dialog));
    if (limits.current == 0) {
        CheckDlgButton(dialog, limits.no_limit_id, BST_CHECKED);
        EnableWindow(field, FALSE);
        SetFocus(GetDlgItem(dialog, IDOK));
        return;
    }
    SetDlgItemTextW(dialog, limits.field_id, std::to_wstring(limits.current).c_str());
    if (!limits.focus_number) {
        SetFocus(GetDlgItem(dialog, IDOK));
        return;
    }
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

void on_ok(HWND dialog, const LimitDialog& limits) {
    std::vector<wchar_t> field(static_cast<std::size_t>(limits.field_chars) + 1, L'\0');
    GetDlgItemTextW(dialog, limits.field_id, field.data(), limits.field_chars + 1);
    const NumberEntry entry = limits.check(no_limit_ticked(dialog, limits), field.data());
    if (entry.refusal)
        return show_entry_refusal(dialog, limits.field_id, *entry.refusal);
    limits.accept(entry.value);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK limit_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto* limits = reinterpret_cast<const LimitDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<const LimitDialog*>(lparam));
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (!limits)
            return FALSE;
        if (LOWORD(wparam) == limits->no_limit_id) {
            EnableWindow(GetDlgItem(dialog, limits->field_id), !no_limit_ticked(dialog, *limits));
            return TRUE;
        }
        switch (LOWORD(wparam)) {
        case IDOK:
            on_ok(dialog, *limits);
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

bool run_limit_dialog(HINSTANCE instance, HWND owner, const LimitDialog& dialog) {
    return DialogBoxParamW(instance, dialog.resource, owner, limit_procedure,
                           reinterpret_cast<LPARAM>(&dialog)) == 1;
}

} // namespace brixtel::win
