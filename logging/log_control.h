#pragma once
// What the Log Data command, the logging dialogs and the synchronized clock ask of the log
// writer. The writer owns the log settings, the logging flags and the file, and takes its Log
// lock inside these operations wherever they touch what it reads while it writes a record,
// so callers never hold it themselves. Main thread only.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace brixtel {

// Where the log goes: the folder, the file name without the view's extension, and whether
// "_" and the date text are appended to it.
struct LogFileSetting {
    std::wstring folder;
    std::wstring base_name;
    bool append_date = true;

    bool operator==(const LogFileSetting&) const = default;
};

// The columns of an Export View (CSV) log. A date flag counts only with its time column.
struct LogColumns {
    bool date = true;
    bool req_time = true;
    bool req_date = false;
    bool first_time = false;
    bool first_date = false;
    bool last_time = false;
    bool last_date = false;
    bool indv_time = false;
    bool indv_date = false;

    bool operator==(const LogColumns&) const = default;
};

enum class LogOpenMode {
    Append, // records go after what the file holds
    Empty,  // the file is emptied first
};

class LogControl {
  public:
    virtual ~LogControl() = default;

    // ---- The file ------------------------------------------------------------------------
    virtual LogFileSetting file_setting() const = 0;
    // Replaces the setting without touching its saved copy (the Logging type dialog sets the
    // file being chosen aside this way while its Logging Options dialog is open).
    virtual void set_file_setting(const LogFileSetting& setting) = 0;
    // The user confirmed a file: it becomes the setting and its saved copy.
    virtual void confirm_file_setting(const LogFileSetting& setting) = 0;
    // On: the setting is saved and replaced by the default log location with the date
    // appended. Off: the saved setting comes back.
    virtual void use_default_location(bool on) = 0;
    // The default log location for the current view and tag list (folder, file and the
    // view's extension).
    virtual std::wstring default_log_location() = 0;
    // Builds the current log path from the setting and the view (the date included when it
    // is appended) and keeps it as the current log path.
    virtual std::wstring build_log_path() = 0;
    // The path the same rule builds from the given setting for the current view, without
    // keeping it: what a dialog shows of a file it is about to choose.
    virtual std::wstring log_path_of(const LogFileSetting& setting) = 0;
    // Whether a current log path has been built since the program started.
    virtual bool has_current_log_path() const = 0;
    // Empties the current log file (opened to be emptied and closed again); false when it
    // cannot be opened.
    virtual bool empty_log_file() = 0;

    // ---- What a record holds and how much the file may hold ---------------------------------
    virtual LogColumns columns() const = 0;
    virtual void set_columns(const LogColumns& columns) = 0;
    // Megabytes; 0 = unlimited.
    virtual std::uint32_t size_limit_mb() const = 0;
    virtual void set_size_limit_mb(std::uint32_t megabytes) = 0;
    virtual void clear_size_exceeded() = 0;
    // Append mode: records go to the end of the file (true) or the file is emptied when
    // logging starts (false).
    virtual bool append_mode() const = 0;
    virtual void set_append_mode(bool append) = 0;
    // The next Export View record starts with the header block.
    virtual void request_header() = 0;

    // ---- Logging on and off -----------------------------------------------------------------
    virtual bool logging_on() const = 0;
    virtual bool user_started_logging() const = 0;
    // Logging on: records are written from now on; the Log Data menu item is ticked.
    virtual void start_logging(bool user_started) = 0;
    // Logging off: the file is closed (read-only), both flags cleared, the menu item unticked
    // and status part 1 shows "Logging: OFF".
    virtual void stop_logging() = 0;
    // Status part 1 shows "Logging: OFF" without changing anything else.
    virtual void show_logging_off() = 0;

    // ---- Size and status --------------------------------------------------------------------
    // Checks the current log file against the size limit and shows the log status parts;
    // false when it is over the limit. `at_start`: the file is about to be emptied when
    // append mode is off, so it counts as empty.
    virtual bool check_size(bool at_start) = 0;
    // Rebuilds the current log path and shows its file and size without touching part 1.
    virtual void refresh_log_status() = 0;

    // ---- Past data --------------------------------------------------------------------------
    // The stored items past data can be written from (the newest, while incomplete, does not
    // count).
    virtual std::size_t stored_item_count() const = 0;
    // Opens the current log file in the given mode, writes the most recent `count` stored
    // items (all when empty), oldest first, and closes it; false when the file cannot be
    // opened (nothing written).
    virtual bool write_past_data(LogOpenMode mode, std::optional<std::size_t> count) = 0;
};

} // namespace brixtel
