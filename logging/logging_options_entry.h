#pragma once
// The Logging Options dialog without its window: the columns of a CSV log and the size limit,
// what the dialog shows, which boxes it lets the user change, and what its OK takes.
#include "logging/log_control.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "shell/number_entry.h"
#include "shell/seat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

// While an Export View log is being written its columns stay as its header has them: only the
// size limit can change.
bool column_boxes_locked(bool logging_on, bool debug_view);

// The columns the ticked boxes give: a date box counts only with its time box.
LogColumns counted_columns(const LogColumns& boxes);

// What "The current log file is:" shows: the current log path as the next record would build
// it, or the default log location while no folder is set.
std::wstring current_log_file_text(LogControl& log);

// The size field as it is typed: blanks at the ends are left alone, anything else that is not
// a digit cuts the text before it. Nothing when the text may stay.
std::optional<std::wstring> size_field_after_typing(std::wstring_view field);

struct LoggingOptionsForm {
    LogColumns boxes;
    bool unlimited = false;
    std::wstring size_limit;
};

struct LoggingOptionsChoice {
    LogColumns columns;
    std::uint32_t limit_mb = 0; // 0: unlimited

    bool operator==(const LoggingOptionsChoice&) const = default;
};

struct LoggingOptionsOk {
    std::optional<LoggingOptionsChoice> choice;
    std::optional<EntryRefusal> refusal; // message 71 on the size field

    bool accepted() const { return choice.has_value(); }
};

LoggingOptionsOk logging_options_ok(const LoggingOptionsForm& form);

// Makes an accepted choice the log's: the columns; a changed limit stored, saved as LogSize
// and shown; the size-exceeded state forgotten so the next record measures again.
void take_logging_options(const LoggingOptionsChoice& choice, LogControl& log, Settings& settings,
                          Registry& registry, Seat& seat);

// ---- After the dialog from the menu ----------------------------------------------------------

// The status part that shows the log's size against its limit.
inline constexpr int kLogSizeStatusPart = 2;

// Part 2 once only the limit may have changed: from " (of " on, the new limit; a text
// without it becomes the empty log's against the limit.
std::wstring log_size_text_with_limit(std::wstring_view shown, std::uint32_t limit_mb);

// The status parts after the Logging Options dialog of the menu, whether it was left with OK
// or not: with a current log file its size is checked again (part 1 stays "Logging: OFF"
// while logging is off); without one only the limit in part 2 changes.
void refresh_status_after_logging_options(LogControl& log, Seat& seat,
                                          std::wstring_view shown_log_size);

} // namespace brixtel
