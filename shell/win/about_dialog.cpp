#include "shell/win/about_dialog.h"

#include "build_id.h" // generated at build time: BRIXTEL_BUILD_ID, BRIXTEL_VERSION
#include "shell/string_table.h"
#include "shell/win/app.h"
#include "shell/win/reporting.h"
#include "shell/win/resource_ids.h"

#include <string>

namespace brixtel::win {
namespace {

void on_init(HWND dialog, const App& app) {
    const std::wstring build = load_text(ids::AboutBuild) + L" " + BRIXTEL_BUILD_ID;
    const std::wstring version = load_text(ids::AboutVersion) + BRIXTEL_VERSION;
    SetDlgItemTextW(dialog, IDC_ABOUT_BUILD, build.c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, version.c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_NOTICE, load_text(ids::AboutNotice).c_str());
    center_window(dialog, app.main_window);
    SetFocus(GetDlgItem(dialog, IDOK));
}

INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<const App*>(lparam));
        return FALSE; // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            EndDialog(dialog, 1);
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

int show_about_dialog(App& app) {
    return static_cast<int>(DialogBoxParamW(app.instance, L"About", app.main_window,
                                            about_procedure, reinterpret_cast<LPARAM>(&app)));
}

} // namespace brixtel::win
