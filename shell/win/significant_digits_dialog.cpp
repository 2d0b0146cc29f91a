#include "shell/win/significant_digits_dialog.h"

#include "settings/settings_store.h"
#include "shell/significant_digits_entry.h"
#include "shell/win/app.h"
#include "shell/win/entry_refusal.h"
#include "shell/win/reporting.h"
#include "shell/win/resource_ids.h"

#include <string>

namespace brixtel::win {
namespace {

constexpr int kFieldChars = 256;

bool no_limit_ticked(HWND dialog) {
    return IsDlgButtonChecked(dialog, IDC_SIG_DIG_NO_LIMIT) == BST_CHECKED;
}

void on_init(HWND dialog, App& app) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&app));
    const std::uint32_t digits = app.settings.sig_dig;
    if (digits == 0) {
        CheckDlgButton(dialog, IDC_SIG_DIG_NO_LIMIT, BST_CHECKED);
        EnableWindow(GetDlgItem(dialog, IDC_SIG_DIG_NUMBER), FALSE);
    } else {
        SetDlgItemTextW(dialog, IDC_SIG_DIG_NUMBER, std::to_wstring(digits).c_str());
    }
    center_window(dialog, app.main_window);
    SetFocus(GetDlgItem(dialog, IDOK));
}

void on_ok(HWND dialog, App& app) {
    wchar_t field[kFieldChars + 1] = {};
    GetDlgItemTextW(dialog, IDC_SIG_DIG_NUMBER, field, kFieldChars + 1);
    const NumberEntry entry = check_significant_digits_entry(no_limit_ticked(dialog), field);
    if (entry.refusal)
        return show_entry_refusal(dialog, IDC_SIG_DIG_NUMBER, *entry.refusal);
    app.settings.sig_dig = entry.value;
    save_number_setting(app.registry, app.seat, values::SigDig, entry.value);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK significant_digits_procedure(HWND dialog, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    auto* app = reinterpret_cast<App*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<App*>(lparam));
        return FALSE; // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_SIG_DIG_NO_LIMIT:
            EnableWindow(GetDlgItem(dialog, IDC_SIG_DIG_NUMBER), !no_limit_ticked(dialog));
            return TRUE;
        case IDOK:
            if (app)
                on_ok(dialog, *app);
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

bool run_significant_digits_dialog(App& app) {
    return DialogBoxParamW(app.instance, L"Export_Sig_Dig", app.main_window,
                           significant_digits_procedure, reinterpret_cast<LPARAM>(&app)) == 1;
}

} // namespace brixtel::win
