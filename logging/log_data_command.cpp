#include "logging/log_data_command.h"

namespace brixtel {
namespace {

// The size check before logging starts. Over the limit the user is told why; a file without
// the date in its name will not get any smaller, so logging does not start (false), while a
// dated one is replaced by the next day's file at midnight.
bool size_allows_start(LogControl& log, Seat& seat) {
    if (log.check_size(true))
        return true;
    const bool dated = log.file_setting().append_date;
    seat.message_box(dated ? ids::LogTooLargeNewDatedFile : ids::LogTooLargeLoggingOff,
                     ids::LogWarning, mb::IconExclamation);
    return dated;
}

void log_new_data(LogControl& log, Seat& seat) {
    if (!size_allows_start(log, seat))
        return;
    if (!log.append_mode())
        log.empty_log_file();
    log.start_logging(true);
}

void log_past_data(LogControl& log, Seat& seat, const LogTypeChoice& choice) {
    const LogOpenMode mode = log.append_mode() ? LogOpenMode::Append : LogOpenMode::Empty;
    const std::optional<std::size_t> count =
        choice.all_past_data ? std::nullopt : std::optional<std::size_t>(choice.past_count);
    if (!log.write_past_data(mode, count)) {
        seat.message_box(ids::CannotOpenFile, ids::FileError, mb::IconExclamation);
        return;
    }
    // New data goes after the past data just written.
    log.set_append_mode(true);
    if (choice.type == LoggingType::PastOnly) {
        log.show_logging_off();
        return;
    }
    if (!size_allows_start(log, seat))
        return;
    log.start_logging(true);
}

} // namespace

void log_data_command(LogControl& log, Seat& seat, bool sync_logging,
                      const ChooseLoggingType& choose) {
    if (log.logging_on()) {
        log.stop_logging();
        if (sync_logging) {
            log.use_default_location(false);
            log.refresh_log_status();
        }
        return;
    }
    const std::optional<LogTypeChoice> choice = choose();
    if (!choice || choice->type == LoggingType::Nothing)
        return;
    log.build_log_path();
    if (choice->type == LoggingType::NewOnly)
        log_new_data(log, seat);
    else
        log_past_data(log, seat, *choice);
}

} // namespace brixtel
