#include "shell/win/tag_lookup_commands.h"

#include "settings/settings_store.h"
#include "tags/win/tag_lookup_dialog.h"

namespace brixtel::win {

bool run_tag_name_lookup_dialog(App& app) {
    const auto partners_for = [&app](Seat& dialog_seat) {
        return TagTranslationPartners{
            dialog_seat,
            app.tag_lists,
            app.database_names,
            app.databases.index(),
            app.settings.show_blk_check,
            [&app, &dialog_seat](bool show) {
                save_show_blk_check(app.registry, dialog_seat, show);
            },
            [&app] { return app.cycle.monitoring_on(); },
            [&app] { return app.cycle.monitoring_on() && !app.settings.debug_view; },
            [&app](const BlockAddress& address) { monitor_added_point(app, address); },
            [&app](const BlockAddress& address) { stop_monitoring_removed_point(app, address); },
            [&app] { InvalidateRect(app.main_window, nullptr, TRUE); },
        };
    };
    return run_tag_lookup_dialog(app.main_window, app.instance, app.seat, partners_for);
}

} // namespace brixtel::win
