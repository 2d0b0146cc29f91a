#include "logging/log_writer.h"

#include "logging/log_path.h"
#include "logging/log_records.h"
#include "platform/case_fold.h"
#include "shell/printf_text.h"
#include "shell/status_texts.h"
#include "shell/string_table.h"

#include <algorithm>

namespace brixtel {
namespace {

// The status bar's log parts.
constexpr int kLoggingPart = 1;
constexpr int kLogSizePart = 2;
constexpr int kLogFilePart = 3;

constexpr std::uint64_t kBytesPerMb = 1048576;

using Lock = std::lock_guard<std::recursive_mutex>;

bool has_text(const std::optional<std::wstring>& slot) {
    return slot && !slot->empty();
}

// Megabytes as the bar shows them: a file that holds anything shows at least 0.1.
double shown_megabytes(std::uint64_t bytes) {
    const double megabytes = static_cast<double>(bytes) / static_cast<double>(kBytesPerMb);
    return bytes > 0 && megabytes < 0.1 ? 0.1 : megabytes;
}

std::wstring table_printf(StringId id, std::initializer_list<PrintfArg> args) {
    return printf_text(string_text(id), args);
}

} // namespace

LogWriter::LogWriter(Seat& seat, Registry& registry, LogFolderSystem& folders, LocaleClock& clock,
                     SnapshotList& snapshots, LogSources& sources, LogBatching* batching)
    : seat_(seat), registry_(registry), folders_(folders), clock_(clock), snapshots_(snapshots),
      sources_(sources), batching_(batching) {
    saved_ = file_setting_locked();
}

// ---- The options a tag list carries ----------------------------------------------------------

CurrentLogging LogWriter::current_logging() const {
    Lock guard(lock_);
    return logging_;
}

void LogWriter::load_logging(const CurrentLogging& logging) {
    Lock guard(lock_);
    write_pending_locked();
    logging_ = logging;
    saved_ = file_setting_locked();
}

void LogWriter::set_logging_options(const LoggingOptions& options) {
    Lock guard(lock_);
    logging_.options = options;
}

// ---- The file ----------------------------------------------------------------------------------

LogFileSetting LogWriter::file_setting_locked() const {
    return {logging_.log_folder, logging_.log_base_name, logging_.options.append_date};
}

LogFileSetting LogWriter::file_setting() const {
    Lock guard(lock_);
    return file_setting_locked();
}

void LogWriter::set_file_setting(const LogFileSetting& setting) {
    Lock guard(lock_);
    logging_.log_folder = setting.folder;
    logging_.log_base_name = setting.base_name;
    logging_.options.append_date = setting.append_date;
}

void LogWriter::confirm_file_setting(const LogFileSetting& setting) {
    Lock guard(lock_);
    set_file_setting(setting);
    saved_ = setting;
}

void LogWriter::use_default_location(bool on) {
    if (!on) {
        Lock guard(lock_);
        set_file_setting(saved_);
        return;
    }
    const LogFileParts parts = split_log_file(default_log_location());
    Lock guard(lock_);
    saved_ = file_setting_locked();
    set_file_setting({parts.folder, parts.base_name, true});
}

std::wstring LogWriter::default_log_location() {
    return brixtel::default_log_location(registry_, folders_, sources_.loaded_list_name(),
                                         debug_view());
}

std::wstring LogWriter::build_log_path() {
    Lock guard(lock_);
    current_path_ = log_path(file_setting_locked(), file_date_text(clock_), debug_view());
    has_current_path_ = true;
    return current_path_;
}

std::wstring LogWriter::log_path_of(const LogFileSetting& setting) {
    return log_path(setting, file_date_text(clock_), debug_view());
}

bool LogWriter::has_current_log_path() const {
    Lock guard(lock_);
    return has_current_path_;
}

bool LogWriter::empty_log_file() {
    Lock guard(lock_);
    write_pending_locked();
    if (!has_current_path_)
        build_log_path();
    if (!open_log(current_path_, true))
        return false;
    close_log();
    return true;
}

void LogWriter::note_log_path() {
    build_log_path();
    if (!equal_ignoring_case(current_path_, last_path_)) {
        last_path_ = current_path_;
        logging_.header_needed = true;
    }
}

// ---- Columns, limit and flags -----------------------------------------------------------------

LogColumns LogWriter::columns() const {
    Lock guard(lock_);
    const LoggingOptions& o = logging_.options;
    return {o.log_date,      o.log_req_time,  o.log_req_date,  o.log_first_time, o.log_first_date,
            o.log_last_time, o.log_last_date, o.log_indv_time, o.log_indv_date};
}

void LogWriter::set_columns(const LogColumns& c) {
    Lock guard(lock_);
    LoggingOptions& o = logging_.options;
    o.log_date = c.date;
    o.log_req_time = c.req_time;
    o.log_req_date = c.req_date;
    o.log_first_time = c.first_time;
    o.log_first_date = c.first_date;
    o.log_last_time = c.last_time;
    o.log_last_date = c.last_date;
    o.log_indv_time = c.indv_time;
    o.log_indv_date = c.indv_date;
}

std::uint32_t LogWriter::size_limit_mb() const {
    Lock guard(lock_);
    return logging_.options.log_size;
}

void LogWriter::set_size_limit_mb(std::uint32_t megabytes) {
    Lock guard(lock_);
    write_pending_locked();
    logging_.options.log_size = megabytes;
}

void LogWriter::clear_size_exceeded() {
    Lock guard(lock_);
    write_pending_locked();
    size_exceeded_ = false;
}

bool LogWriter::size_exceeded() const {
    Lock guard(lock_);
    return size_exceeded_;
}

bool LogWriter::append_mode() const {
    Lock guard(lock_);
    return append_mode_;
}

void LogWriter::set_append_mode(bool append) {
    Lock guard(lock_);
    append_mode_ = append;
}

void LogWriter::request_header() {
    Lock guard(lock_);
    logging_.header_needed = true;
}

bool LogWriter::header_needed() const {
    Lock guard(lock_);
    return logging_.header_needed;
}

// ---- Logging on and off ------------------------------------------------------------------------

bool LogWriter::logging_on() const {
    Lock guard(lock_);
    return logging_on_;
}

bool LogWriter::user_started_logging() const {
    Lock guard(lock_);
    return user_started_;
}

void LogWriter::start_logging(bool user_started) {
    {
        Lock guard(lock_);
        logging_on_ = true;
        user_started_ = user_started;
    }
    seat_.check_command(Command::LogData, true);
}

void LogWriter::stop_logging() {
    {
        Lock guard(lock_);
        write_pending_locked();
        close_log();
        logging_on_ = false;
        user_started_ = false;
    }
    seat_.check_command(Command::LogData, false);
    show_logging_off();
}

void LogWriter::show_logging_off() {
    seat_.set_status_text(kLoggingPart, string_text(ids::LoggingOff));
}

// ---- Size and status ---------------------------------------------------------------------------

bool LogWriter::check_size(bool at_start) {
    Lock guard(lock_);
    write_pending_locked();
    if (!has_current_path_)
        build_log_path();
    return check_size_of(current_path_, at_start);
}

bool LogWriter::check_size_of(const std::wstring& path, bool at_start) {
    seat_.set_status_text(kLogFilePart, table_printf(ids::LogFileName, {std::wstring_view(path)}));
    const std::uint32_t limit = logging_.options.log_size;
    // While a record's file is open it is measured through the open file: asking by path
    // twice after every line cost more than the line.
    const bool open_here = stream_ && stream_path_ == path;
    const std::optional<std::uint64_t> open_size =
        open_here ? stream_->size() : std::optional<std::uint64_t>();
    if (!open_here && !log_file_exists(path)) {
        seat_.set_status_text(kLoggingPart, string_text(ids::LoggingOn));
        seat_.set_status_text(kLogSizePart, log_size_zero_text(limit));
        size_exceeded_ = false;
        return true;
    }
    // A file about to be emptied counts as empty.
    const bool emptied = at_start && !append_mode_;
    const std::optional<std::uint64_t> size = emptied     ? std::optional<std::uint64_t>(0)
                                              : open_size ? open_size
                                                          : log_file_size(path);
    const std::uint64_t bytes = size.value_or(0);
    const double megabytes = shown_megabytes(bytes);
    if (limit == 0) {
        seat_.set_status_text(kLoggingPart, string_text(ids::LoggingOn));
        seat_.set_status_text(kLogSizePart, table_printf(ids::LogSizeUnlimited, {megabytes}));
        size_exceeded_ = false;
        return true;
    }
    if (!size)
        return true;
    // Exactly the limit still passes; one byte more does not.
    if (bytes > std::uint64_t{limit} * kBytesPerMb) {
        size_exceeded_ = true;
        close_log();
        if (!logging_.options.append_date) {
            // Only a date-named log has a next file to wait for.
            seat_.check_command(Command::LogData, false);
            logging_on_ = false;
            seat_.set_status_text(kLoggingPart, string_text(ids::LoggingOff));
        } else {
            seat_.set_status_text(kLoggingPart, string_text(ids::LoggingOn));
        }
        seat_.set_status_text(kLogSizePart,
                              table_printf(ids::LogSizeExceeded, {std::int64_t{limit}}));
        return false;
    }
    size_exceeded_ = false;
    seat_.set_status_text(kLoggingPart, string_text(ids::LoggingOn));
    seat_.set_status_text(kLogSizePart,
                          table_printf(ids::LogSizeOfLimit, {megabytes, std::int64_t{limit}}));
    return true;
}

void LogWriter::refresh_log_status() {
    Lock guard(lock_);
    write_pending_locked();
    const std::wstring path = build_log_path();
    seat_.set_status_text(kLogFilePart, table_printf(ids::LogFileName, {std::wstring_view(path)}));
    const std::uint32_t limit = logging_.options.log_size;
    const std::optional<std::uint64_t> size =
        log_file_exists(path) ? log_file_size(path) : std::nullopt;
    if (!size) {
        size_exceeded_ = false;
        seat_.set_status_text(kLogSizePart, log_size_zero_text(limit));
        return;
    }
    const double megabytes = shown_megabytes(*size);
    if (limit == 0) {
        size_exceeded_ = false;
        seat_.set_status_text(kLogSizePart, table_printf(ids::LogSizeUnlimited, {megabytes}));
    } else if (*size > std::uint64_t{limit} * kBytesPerMb) {
        size_exceeded_ = true;
        seat_.set_status_text(kLogSizePart,
                              table_printf(ids::LogSizeExceeded, {std::int64_t{limit}}));
    } else {
        size_exceeded_ = false;
        seat_.set_status_text(kLogSizePart,
                              table_printf(ids::LogSizeOfLimit, {megabytes, std::int64_t{limit}}));
    }
}

// ---- The stream ---------------------------------------------------------------------------------

bool LogWriter::open_log(const std::wstring& path, bool empty_first) {
    if (stream_)
        close_log();
    stream_ = LogFile::open(path, empty_first);
    stream_path_ = path;
    return stream_.has_value();
}

// Every file written is read-only between records: others may read it, not change it.
void LogWriter::close_log() {
    bool marked = false;
    if (stream_) {
        marked = stream_->close_read_only();
        stream_.reset();
    }
    const std::wstring& path = stream_path_.empty() ? current_path_ : stream_path_;
    if (!marked && !path.empty() && log_file_exists(path))
        set_log_file_read_only(path, true);
    stream_path_.clear();
}

bool LogWriter::open_for_record(const std::wstring& path) {
    if (open_log(path, false))
        return true;
    // One box at a time: records keep coming while it is shown.
    if (message_box_allowed_) {
        message_box_allowed_ = false;
        seat_.message_box(ids::CannotOpenLogFile, ids::FileError, mb::IconExclamation);
        message_box_allowed_ = true;
    }
    return false;
}

void LogWriter::write_line(std::wstring_view line) {
    if (!stream_)
        return;
    stream_->write(line);
    stream_->write(L"\r\n");
}

std::vector<BlockAddress> LogWriter::tag_list_points() const {
    std::vector<BlockAddress> points;
    for (const PointNode& node : sources_.tag_list())
        if (node.database_number != kDetachedDatabase)
            points.push_back(node.address);
    return points;
}

std::vector<std::wstring> LogWriter::tag_list_names() const {
    std::vector<std::wstring> names;
    for (const PointNode& node : sources_.tag_list())
        if (node.database_number != kDetachedDatabase)
            names.push_back(node.tag_name);
    return names;
}

void LogWriter::write_live_header() {
    const std::vector<BlockAddress> points = sources_.listed_points();
    const std::vector<std::wstring> names = tag_list_names();
    for (const std::wstring& line : csv_header(columns(), points, names))
        write_line(line);
    if (stream_)
        stream_->flush();
}

// ---- Records -----------------------------------------------------------------------------------

void LogWriter::set_cycle_start(bool cycle_start) {
    Lock guard(lock_);
    cycle_start_ = cycle_start;
}

void LogWriter::write_log_row(const PollSnapshot& row, std::wstring_view date, LogMoment moment) {
    Lock guard(lock_);
    write_pending_locked();
    if (!logging_on_ || cycle_start_)
        return;
    note_log_path();
    // A file that is gone or empty (deleted while logging, its folder removed and made again)
    // starts anew: without its header block no reader could tell which column is which.
    if (log_file_size(current_path_).value_or(0) == 0)
        logging_.header_needed = true;
    // Over the limit no row is written; the tick still starts a new file's header.
    if (!check_size_of(current_path_, false) && moment != LogMoment::Tick)
        return;
    if (!open_for_record(current_path_))
        return;
    if (logging_.header_needed) {
        write_live_header();
        logging_.header_needed = false;
        check_size_of(current_path_, false);
    }
    if (!cycle_start_ && !size_exceeded_ && stream_) {
        const std::size_t points = sources_.listed_points().size();
        write_line(csv_row(columns(), date, live_row_fields(row, points)));
        stream_->flush();
        check_size_of(current_path_, false);
    }
    close_log();
}

void LogWriter::write_lines_of(const std::wstring& path, std::wstring_view date,
                               std::wstring_view time, std::wstring_view text, bool check_each) {
    // The size counts what is buffered, so the record goes out in one write.
    for (const std::wstring& line : debug_log_lines(date, time, text)) {
        if (!stream_)
            return;
        write_line(line);
        if (check_each && !check_size_of(path, false))
            return;
    }
    if (stream_)
        stream_->flush();
}

void LogWriter::write_debug_record(const std::wstring& path, std::wstring_view date,
                                   std::wstring_view time, std::wstring_view text) {
    if (!check_size_of(path, false))
        return;
    if (!(stream_ && stream_path_ == path) && !open_for_record(path))
        return;
    write_lines_of(path, date, time, text, true);
}

void LogWriter::write_debug_log_lines(std::wstring_view date, std::wstring_view time,
                                      std::wstring_view text) {
    Lock guard(lock_);
    if (!logging_on_)
        return;
    note_log_path();
    if (batching_ && (!pending_.empty() || batching_->request_write())) {
        pending_.push_back(
            {current_path_, std::wstring(date), std::wstring(time), std::wstring(text)});
        return;
    }
    write_debug_record(current_path_, date, time, text);
    close_log();
}

// ---- Batches -----------------------------------------------------------------------------------

void LogWriter::write_pending_records() {
    Lock guard(lock_);
    write_pending_locked();
}

void LogWriter::write_pending_locked() {
    if (pending_.empty())
        return;
    // Records that come while a box of this batch is shown make the next batch.
    std::vector<PendingRecord> records;
    records.swap(pending_);
    for (const PendingRecord& record : records) {
        // The limit may have stopped logging with an earlier record.
        if (!logging_on_)
            break;
        write_debug_record(record.path, record.date, record.time, record.text);
    }
    close_log();
}

// ---- Past data ---------------------------------------------------------------------------------

std::size_t LogWriter::stored_items() const {
    const std::size_t stored = snapshots_.size();
    PollSnapshot* newest = snapshots_.newest();
    if (!newest)
        return 0;
    const bool complete = debug_view() ? has_text(newest->values[2])
                                       : row_complete(*newest, tag_list_points().size());
    return complete ? stored : stored - 1;
}

std::size_t LogWriter::stored_item_count() const {
    Lock guard(lock_);
    return stored_items();
}

bool LogWriter::write_past_data(LogOpenMode mode, std::optional<std::size_t> count) {
    Lock guard(lock_);
    write_pending_locked();
    if (!has_current_path_)
        build_log_path();
    if (!open_log(current_path_, mode == LogOpenMode::Empty))
        return false;
    const std::vector<std::size_t> items = past_items(stored_items(), count);
    if (debug_view()) {
        std::wstring date;
        for (std::size_t index : items) {
            const PollSnapshot* item = snapshots_.at(index);
            if (!item)
                continue;
            // An item without a date belongs to the day of the one before it.
            if (!item->cycle_date.empty())
                date = item->cycle_date;
            write_lines_of(current_path_, date, item->values[1].value_or(std::wstring()),
                           item->values[2].value_or(std::wstring()), false);
        }
    } else if (!items.empty()) {
        const std::vector<BlockAddress> points = tag_list_points();
        for (const std::wstring& line : csv_header(columns(), points, tag_list_names()))
            write_line(line);
        const LogColumns layout = columns();
        for (std::size_t index : items) {
            if (const PollSnapshot* item = snapshots_.at(index))
                write_line(csv_row(layout, item->cycle_date, past_row_fields(*item, points)));
        }
    }
    close_log();
    return true;
}

void stop_logging_for_exit(LogControl& log) {
    if (log.logging_on())
        log.stop_logging();
}

} // namespace brixtel
