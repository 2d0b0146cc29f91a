#pragma once
// The log writer: the log settings and flags, the file, and the records the poll cycle hands
// over. It answers the Log Data command, the logging dialogs and the synchronized clock
// (LogControl) and the poll cycle (CycleLog). Main thread only; the Log lock guards the file,
// the settings and the flags, so the option dialogs never see a record half written.
#include "core/block_address.h"
#include "core/clock_texts.h"
#include "core/poll_cycle.h"
#include "core/poll_snapshot.h"
#include "logging/current_logging.h"
#include "logging/default_log_location.h"
#include "logging/log_control.h"
#include "platform/log_file.h"
#include "platform/registry.h"
#include "shell/seat.h"
#include "tags/current_tag_list.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brixtel {

// What the writer reads from the rest of the program.
class LogSources {
  public:
    virtual ~LogSources() = default;
    virtual bool debug_view() const = 0;
    // The loaded tag list's name; empty when none is loaded.
    virtual std::wstring loaded_list_name() const = 0;
    // The points being polled for rows, in table order, DDE-only points left out.
    virtual std::vector<BlockAddress> listed_points() const = 0;
    virtual const CurrentTagList& tag_list() const = 0;
};

// Gathers the Debug View records that come in one turn of the message loop, so that the file
// is opened once for them instead of once each. At 50 points every 10 ms that is 5,000 records
// a second, and opening, clearing and setting the read-only attribute and closing for each
// cost the main thread more than it has; between batches the file is closed and read-only.
class LogBatching {
  public:
    virtual ~LogBatching() = default;
    // Arranges for LogWriter::write_pending_records once the messages queued now have been
    // handled; false when it cannot, and the writer writes the record at once.
    virtual bool request_write() = 0;
};

class LogWriter : public LogControl, public CycleLog {
  public:
    // Without `batching` every record is written as it comes.
    LogWriter(Seat& seat, Registry& registry, LogFolderSystem& folders, LocaleClock& clock,
              SnapshotList& snapshots, LogSources& sources, LogBatching* batching = nullptr);
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // ---- The options a tag list carries --------------------------------------------------
    CurrentLogging current_logging() const;
    // A tag-list load: the options, the file (and its saved copy) and the header request.
    void load_logging(const CurrentLogging& logging);
    // The synchronized start and stop and the other options the writer only keeps.
    void set_logging_options(const LoggingOptions& options);

    // ---- LogControl --------------------------------------------------------------------
    LogFileSetting file_setting() const override;
    void set_file_setting(const LogFileSetting& setting) override;
    void confirm_file_setting(const LogFileSetting& setting) override;
    void use_default_location(bool on) override;
    std::wstring default_log_location() override;
    std::wstring build_log_path() override;
    std::wstring log_path_of(const LogFileSetting& setting) override;
    bool has_current_log_path() const override;
    bool empty_log_file() override;

    LogColumns columns() const override;
    void set_columns(const LogColumns& columns) override;
    std::uint32_t size_limit_mb() const override;
    void set_size_limit_mb(std::uint32_t megabytes) override;
    void clear_size_exceeded() override;
    bool append_mode() const override;
    void set_append_mode(bool append) override;
    void request_header() override;

    bool logging_on() const override;
    bool user_started_logging() const override;
    void start_logging(bool user_started) override;
    void stop_logging() override;
    void show_logging_off() override;

    bool check_size(bool at_start) override;
    void refresh_log_status() override;

    std::size_t stored_item_count() const override;
    bool write_past_data(LogOpenMode mode, std::optional<std::size_t> count) override;

    // ---- CycleLog ----------------------------------------------------------------------
    void write_log_row(const PollSnapshot& row, std::wstring_view date, LogMoment moment) override;
    void write_debug_log_lines(std::wstring_view date, std::wstring_view time,
                               std::wstring_view text) override;
    void set_cycle_start(bool cycle_start) override;

    // ---- Batches -----------------------------------------------------------------------
    // Writes the Debug View records gathered since the last call, each as it would have been
    // written when it came (its own path, size checks, the limit), in one opening of the file
    // per run of records for the same file; the file is closed and read-only after it. Every
    // other operation that reaches the file or the limit writes them first.
    void write_pending_records();

    // ---- Status and state seen by tests and the shell ----------------------------------
    bool size_exceeded() const;
    bool header_needed() const;
    const std::wstring& current_log_path() const { return current_path_; }

  private:
    bool debug_view() const { return sources_.debug_view(); }
    LogFileSetting file_setting_locked() const;
    // Builds the path and notes a new file: its first record starts with the header.
    void note_log_path();
    bool check_size_of(const std::wstring& path, bool at_start);
    void show_size_part(std::optional<std::uint64_t> bytes, bool at_start);
    bool open_log(const std::wstring& path, bool empty_first);
    bool open_for_record(const std::wstring& path);
    void close_log();
    void write_line(std::wstring_view line);
    void write_live_header();
    void write_lines_of(const std::wstring& path, std::wstring_view date, std::wstring_view time,
                        std::wstring_view text, bool check_each);
    // One Debug View record to `path`, opening the file unless it is open there already; the
    // caller closes it.
    void write_debug_record(const std::wstring& path, std::wstring_view date,
                            std::wstring_view time, std::wstring_view text);
    void write_pending_locked();
    std::vector<BlockAddress> tag_list_points() const;
    std::vector<std::wstring> tag_list_names() const;
    std::size_t stored_items() const;

    Seat& seat_;
    Registry& registry_;
    LogFolderSystem& folders_;
    LocaleClock& clock_;
    SnapshotList& snapshots_;
    LogSources& sources_;
    LogBatching* batching_;

    struct PendingRecord {
        std::wstring path; // built when the record came, as an immediate write would
        std::wstring date;
        std::wstring time;
        std::wstring text;
    };

    // The Log lock. Re-entrant: a message box shown during a write runs a nested message
    // loop on the same thread, which may bring another record.
    mutable std::recursive_mutex lock_;
    CurrentLogging logging_;
    LogFileSetting saved_;
    std::optional<LogFile> stream_;
    std::wstring stream_path_;
    std::wstring current_path_;
    std::wstring last_path_;
    bool has_current_path_ = false;
    bool logging_on_ = false;
    bool user_started_ = false;
    bool append_mode_ = true;
    bool size_exceeded_ = false;
    bool cycle_start_ = true;
    bool message_box_allowed_ = true;
    std::vector<PendingRecord> pending_;
};

// Exit: logging stops and the file is closed, read-only, before the window goes.
void stop_logging_for_exit(LogControl& log);

} // namespace brixtel
