#include "shell/win/limit_dialog.h"

#include "shell/win/entry_refusal.h"
#include "shell/win/reporting.h"

#include <string>
#include <vector>

namespace brixtel::win {
namespace {

bool no_limit_ticked(HWND dialog, const LimitDialog& spec) {
    return IsDlgButtonChecked(dialog, spec.no_limit_id) == BST_CHECKED;
}

void on_init(HWND dialog, const LimitDialog& spec) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&spec));
    HWND field = GetDlgItem(dialog, spec.field_id);
    center_window(dialog, GetParent(dialog));
    if (spec.current == 0) {
        CheckDlgButton(dialog, spec.no_limit_id, BST_CHECKED);
        EnableWindow(field, FALSE);
        SetFocus(GetDlgItem(dialog, IDOK));
        return;
    }
    SetDlgItemTextW(dialog, spec.field_id, std::to_wstring(spec.current).c_str());
    if (!spec.focus_number) {
        SetFocus(GetDlgItem(dialog, IDOK));
        return;
    }
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

void on_ok(HWND dialog, const LimitDialog& spec) {
    std::vector<wchar_t> field(static_cast<std::size_t>(spec.field_chars) + 1, L'\0');
    GetDlgItemTextW(dialog, spec.field_id, field.data(), spec.field_chars + 1);
    const NumberEntry entry = spec.check(no_limit_ticked(dialog, spec), field.data());
    if (entry.refusal)
        return show_entry_refusal(dialog, spec.field_id, *entry.refusal);
    spec.accept(entry.value);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK limit_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto* spec = reinterpret_cast<const LimitDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<const LimitDialog*>(lparam));
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (!spec)
            return FALSE;
        if (LOWORD(wparam) == spec->no_limit_id) {
            EnableWindow(GetDlgItem(dialog, spec->field_id), !no_limit_ticked(dialog, *spec));
            return TRUE;
        }
        switch (LOWORD(wparam)) {
        case IDOK:
            on_ok(dialog, *spec);
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
