#pragma once
// The Logging type dialog without its window: what it shows when it opens, and what its OK
// makes of the values the user left in it. The folder checks and the "create log folder"
// question go through small injected queries, so the whole OK runs anywhere.
#include "logging/default_log_location.h"
#include "logging/log_control.h"
#include "logging/logging_controls.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "shell/seat.h"
#include "shell/string_table.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

enum class LoggingType {
    Nothing = 0,
    PastOnly = 1,
    NewOnly = 2,
    PastThenNew = 3,
};

// Which past lines the two radio buttons ask for.
enum class PastLines { NotChosen, All, MostRecent };

// The dialog's controls as the user left them.
struct LogTypeForm {
    bool new_data = true;   // "Log new data as it arrives"
    bool past_data = false; // "Data already collected"
    PastLines past_lines = PastLines::NotChosen;
    std::wstring line_count;      // "The most recent ... lines"
    std::wstring path;            // "Save the log to:"
    bool append_date = true;      // "Append the date to the log file's name"
    bool delete_existing = false; // "Delete all existing data ..."
};

// What the OK knows besides the form.
struct LogTypeFacts {
    bool debug_view = false;
    std::size_t stored_items = 0; // what past data can be written from
    bool show_log_alert = true;   // the past-data-only alert has not been turned off
};

// What the OK asks of the system and of the user beyond message boxes.
class LogTypeQueries {
  public:
    virtual ~LogTypeQueries() = default;
    virtual bool folder_exists(std::wstring_view folder) = 0;
    // The log writer's folder creation: creates every missing level and reports its own
    // failures; false when the folder could not be made.
    virtual bool create_log_folder(std::wstring_view folder) = 0;
    // The "Log Alert" notice; true when it was left with OK and "Don't show this alert
    // again" ticked.
    virtual bool show_log_alert() = 0;
};

// What the dialog hands back after OK.
struct LogTypeChoice {
    LoggingType type = LoggingType::Nothing;
    bool all_past_data = false;
    std::size_t past_count = 0; // with most recent lines: how many
    LogFileSetting file;
    bool append_mode = true; // false: the file's old contents are deleted
    bool hide_log_alert = false;

    bool operator==(const LogTypeChoice&) const = default;
};

// A refused OK: the message to show over the dialog (none when the user has already been
// told, by a question or by the folder creation), then the control to focus, 0 for none.
struct DialogRefusal {
    StringId text = 0;
    StringId caption = 0;
    unsigned icon = 0;
    int control = 0;
    bool select_text = false;

    bool operator==(const DialogRefusal&) const = default;
};

struct LogTypeOk {
    std::optional<LogTypeChoice> choice;
    std::optional<DialogRefusal> refusal;

    bool accepted() const { return choice.has_value(); }
};

// The OK in its order: the past lines, the logging type, then the file. The notices and
// questions on the way (67, 308, 323, 325's question, 342 and the Log Alert) are shown
// through the seat and the queries; a refusal leaves every setting as it was.
LogTypeOk log_type_ok(const LogTypeForm& form, const LogTypeFacts& facts, LogTypeQueries& queries,
                      Seat& seat);

// Makes an accepted choice the log's: the file and its saved copy, a turned-off alert stored,
// the append mode, a header for the next CSV record and the refreshed status.
void take_log_type_choice(const LogTypeChoice& choice, LogControl& log, Settings& settings,
                          Registry& registry, Seat& seat);

// ---- The pieces of the OK, each on its own ---------------------------------------------------

// The typed file, trimmed of blanks, split at its last backslash. The view's own extension is
// dropped (any case); another one stays in the name and is remembered for message 342.
struct TypedLogFile {
    std::wstring folder; // trailing backslashes removed; a drive root keeps its own
    std::wstring file;
    std::wstring other_extension; // with its dot; empty when there was none
};
TypedLogFile split_typed_log_file(std::wstring_view typed, bool debug_view);

// Message 318's rule: one of |<>*?/" anywhere, or a colon anywhere but second, or two colons.
bool has_illegal_path_characters(std::wstring_view path);
// A path that starts with one backslash but not two (message 316).
bool is_broken_unc_path(std::wstring_view path);

// The checked path rebuilt: a leading pair of backslashes kept, every other run of them made
// one, each component trimmed of blanks at both ends (a component of blanks alone goes). A
// bare drive keeps its root backslash.
LogFileSetting rebuild_log_path(std::wstring_view folder, std::wstring_view file, bool append_date);

// ---- Opening and the buttons ------------------------------------------------------------------

// What "Save the log to:" shows: the file of the log setting with the view's extension and
// without the date, or the default log location while no folder is set.
std::wstring log_type_path_text(LogControl& log);

// Where the save-file dialog of "Browse..." starts: the file with the view's extension in
// place of its own.
std::wstring browse_start_file(std::wstring_view file, bool debug_view);

// A digit field as it is typed: the text cut before its first character that is not a digit,
// or nothing when every character is one.
std::optional<std::wstring> cut_at_non_digit(std::wstring_view text);

} // namespace brixtel
