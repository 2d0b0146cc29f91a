#include "shell/win/tag_database_commands.h"

#include "tags/database_removal.h"
#include "tags/win/database_file_dialog.h"

namespace brixtel::win {

namespace {

// While monitoring runs, a point detached from a removed file stops being polled: its listed
// point goes (DDE-only points with the same address stay), and the log header is written
// again without its column.
void remove_monitored_point(App& app, const BlockAddress& address) {
    if (!app.cycle.monitoring_on())
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

bool run_database_file_chooser(App& app) {
    CurrentListRemovalHooks tag_lists(app.tag_lists, [&app](const BlockAddress& address) {
        remove_monitored_point(app, address);
    });
    return run_database_file_dialog(
        app.instance, app.main_window,
        {app.databases, app.seat, app.registry, app.installation_base_folder, tag_lists,
         [&app] { return app.cycle.monitoring_on() && !app.settings.debug_view; }});
}

} // namespace brixtel::win
