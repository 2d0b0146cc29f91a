#include "shell/win/tag_database_commands.h"

#include "tags/database_removal.h"
#include "tags/win/database_file_dialog.h"

namespace brixtel::win {

bool run_database_file_chooser(App& app) {
    CurrentListRemovalHooks tag_lists(app.tag_lists, [&app](const BlockAddress& address) {
        stop_monitoring_removed_point(app, address);
    });
    return run_database_file_dialog(
        app.instance, app.main_window,
        {app.databases, app.seat, app.registry, app.installation_base_folder, tag_lists,
         [&app] { return app.cycle.monitoring_on() && !app.settings.debug_view; }});
}

} // namespace brixtel::win
