#include "shell/win/significant_digits_dialog.h"

#include "settings/settings_store.h"
#include "shell/significant_digits_entry.h"
#include "shell/win/app.h"
#include "shell/win/limit_dialog.h"
#include "shell/win/resource_ids.h"

namespace brixtel::win {

bool run_significant_digits_dialog(App& app) {
    LimitDialog dialog;
    dialog.resource = L"Export_Sig_Dig";
    dialog.field_id = IDC_SIG_DIG_NUMBER;
    dialog.no_limit_id = IDC_SIG_DIG_NO_LIMIT;
    dialog.current = app.settings.sig_dig;
    dialog.check = check_significant_digits_entry;
    dialog.accept = [&app](std::uint32_t digits) {
        app.settings.sig_dig = digits;
        save_number_setting(app.registry, app.seat, values::SigDig, digits);
    };
    return run_limit_dialog(app.instance, app.main_window, dialog);
}

} // namespace brixtel::win
