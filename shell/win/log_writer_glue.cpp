#include "shell/win/log_writer_glue.h"

#include "logging/log_path.h"
#include "shell/win/app.h"
#include "shell/win/dialog_seat.h"

namespace brixtel::win {

LogControl& log_control(App& app) {
    return app.log_writer;
}

bool create_log_folder(App& app, HWND owner, std::wstring_view folder) {
    DialogSeat seat(owner, app.seat);
    return brixtel::create_log_folder(seat, app.log_folders, folder);
}

bool sync_logging_on(App& app) {
    return app.log_writer.current_logging().options.sync_log;
}

} // namespace brixtel::win
