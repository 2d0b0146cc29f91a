#include "shell/win/log_status_texts.h"

#include "shell/status_texts.h"
#include "shell/string_table.h"
#include "shell/win/app.h"

namespace brixtel::win {

void refresh_log_status_texts(App& app) {
    app.status_bar.set_text(StatusLogging, string_text(ids::LoggingOff));
    app.status_bar.set_text(StatusLogSize,
                            log_size_zero_text(app.current_logging.options.log_size));
}

} // namespace brixtel::win
