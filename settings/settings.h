#pragma once
// The general settings kept under the program's registry key, with their defaults.
#include <cstdint>
#include <string>

namespace brixtel {

struct Settings {
    std::wstring last_loaded;
    bool debug_view = false;
    std::uint32_t frequency_ms = 1000; // update interval
    std::uint32_t log_size_mb = 5;     // log size limit; 0 = unlimited
    std::uint32_t sig_dig = 0;         // Export View significant digits; 0 = no limit
    bool show_blk_check = true;
    bool show_log_alert = true;
};

} // namespace brixtel
