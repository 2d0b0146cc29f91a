#include "shell/win/logging_commands.h"

#include "logging/log_data_command.h"
#include "logging/log_path.h"
#include "logging/logging_options_entry.h"
#include "logging/win/log_type_dialog.h"
#include "logging/win/logging_options_dialog.h"
#include "shell/win/app.h"
#include "shell/win/dialog_seat.h"

namespace brixtel::win {
namespace {

LoggingOptionsPartners options_partners(App& app) {
    return {app.instance, app.log_writer, app.settings, app.registry, app.seat};
}

// A folder the user typed, made level by level; its messages belong to the dialog.
bool create_log_folder(App& app, HWND owner, std::wstring_view folder) {
    DialogSeat seat(owner, app.seat);
    return brixtel::create_log_folder(seat, app.log_folders, folder);
}

} // namespace

void log_data_command(App& app) {
    LogControl& log = app.log_writer;
    LoggingOptionsPartners options = options_partners(app);
    LogTypeDialogPartners partners{
        app.instance,
        log,
        app.settings,
        app.registry,
        app.seat,
        app.log_folders,
        [&app](HWND owner, std::wstring_view folder) {
            return create_log_folder(app, owner, folder);
        },
        [&options](HWND owner) { show_logging_options_dialog(owner, options); },
    };
    brixtel::log_data_command(log, app.seat, app.log_writer.current_logging().options.sync_log,
                              [&] { return run_log_type_dialog(app.main_window, partners); });
}

void run_logging_options_dialog(App& app) {
    LoggingOptionsPartners partners = options_partners(app);
    show_logging_options_dialog(app.main_window, partners);
    refresh_status_after_logging_options(partners.log, app.seat,
                                         app.status_bar.text(StatusLogSize));
}

} // namespace brixtel::win
