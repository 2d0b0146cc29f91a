#pragma once
// The texts of the status bar's monitoring and log-size parts.
#include <cstdint>
#include <string>

namespace brixtel {

// An update interval split for "(%02d:%02d:%02d%s)": whole hours, minutes and seconds, and
// the millisecond fraction as ".mmm".
struct IntervalParts {
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    std::wstring fraction;
};

IntervalParts split_interval(std::uint32_t interval_ms);

// "Monitoring: ON/OFF (hh:mm:ss.mmm)".
std::wstring monitoring_state_text(bool on, std::uint32_t interval_ms);

// What the bar shows the moment it is created, before the settings are read.
std::wstring monitoring_created_text(std::uint32_t interval_ms);

// "Log Size: 0 MB (of ...)": a limit of 0 means unlimited.
std::wstring log_size_zero_text(std::uint32_t limit_mb);

} // namespace brixtel
