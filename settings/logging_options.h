#pragma once
// The logging choices that travel with a tag list and that a first start seeds from the
// initialisation file. Field names follow the registry value names (LogDate -> log_date);
// the member defaults are the values a list without them reads as.
#include <cstdint>
#include <string>

namespace brixtel {

struct LoggingOptions {
    // Which columns a log record carries.
    bool log_date = true;
    bool log_req_time = true;
    bool log_first_time = false;
    bool log_last_time = false;
    bool log_indv_time = false;
    // Whether those times carry the date as well.
    bool log_req_date = false;
    bool log_first_date = false;
    bool log_last_date = false;
    bool log_indv_date = false;

    // Synchronized start and stop.
    std::uint32_t start_hour = 0;
    std::uint32_t start_minute = 0;
    bool start_time = false;
    std::uint32_t stop_hour = 0;
    std::uint32_t stop_minute = 0;
    bool stop_time = false;
    bool sync_log = true;

    std::uint32_t log_size = 5; // MB; 0 = unlimited
    std::wstring save_locale;   // full path of the list's log file; empty = not set
    bool append_date = true;    // append the date to the log file name

    bool operator==(const LoggingOptions&) const = default;
};

} // namespace brixtel
