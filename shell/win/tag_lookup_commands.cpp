#include "shell/win/tag_lookup_commands.h"

#include "settings/settings_store.h"
#include "tags/win/tag_lookup_dialog.h"

namespace brixtel::win {

namespace {

// While monitoring runs, a point added to the list is polled from the next tick on; the log's
// columns change with it.
void start_monitoring_point(App& app, const BlockAddress& address) {
    if (!app.cycle.state().points_created)
        return;
    app.points.create(address, DdeLink{}, false, true);
    app.log_writer.request_header();
}

// The listed point goes; a DDE client's point with the same address stays its own.
void stop_monitoring_point(App& app, const BlockAddress& address) {
    if (!app.cycle.state().points_created)
        return;
    for (MonitoredPoint* point : app.points.find_by_address(address)) {
        if (point->dde_only)
            continue;
        app.points.remove(*point, false);
        app.log_writer.request_header();
        return;
    }
}

} // namespace

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
            [&app](const BlockAddress& address) { start_monitoring_point(app, address); },
            [&app](const BlockAddress& address) { stop_monitoring_point(app, address); },
            [&app] { InvalidateRect(app.main_window, nullptr, TRUE); },
        };
    };
    return run_tag_lookup_dialog(app.main_window, app.instance, app.seat, partners_for);
}

} // namespace brixtel::win
