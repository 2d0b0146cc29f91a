#include "logging/log_size_entry.h"

#include "settings/settings_store.h"

namespace brixtel {

NumberEntry check_log_size_entry(bool no_limit, std::wstring_view field) {
    if (no_limit)
        return {};
    const Digits digits = read_digits(trim_blanks(field));
    if (digits.reading != DigitsReading::Number || digits.value == 0)
        return {0, EntryRefusal{ids::SizeLimitRequired, ids::InvalidSize, true}};
    return {digits.value, std::nullopt};
}

bool take_log_size(std::uint32_t limit_mb, LoggingOptions& options, Settings& settings,
                   Registry& registry, Seat& seat) {
    if (limit_mb == options.log_size)
        return false;
    options.log_size = limit_mb;
    settings.log_size_mb = limit_mb;
    save_number_setting(registry, seat, values::LogSize, limit_mb);
    return true;
}

} // namespace brixtel
