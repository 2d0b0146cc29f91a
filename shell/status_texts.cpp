#include "shell/status_texts.h"

#include "shell/printf_text.h"
#include "shell/string_table.h"

#include <cmath>

namespace brixtel {

IntervalParts split_interval(std::uint32_t interval_ms) {
    const std::int64_t ms = interval_ms;
    IntervalParts parts;
    parts.hours = ms / 3600000;
    parts.minutes = (ms - parts.hours * 3600000) / 60000;
    const double seconds =
        static_cast<double>(ms - (parts.hours * 60 + parts.minutes) * 60000) / 1000.0;
    parts.seconds = static_cast<std::int64_t>(seconds);
    // "%.3f" of the fraction is "0.mmm"; only the part from the point on is shown.
    const std::wstring fraction = printf_text(L"%.3f", {seconds - std::trunc(seconds)});
    const auto point = fraction.find(L'.');
    parts.fraction = point == std::wstring::npos ? std::wstring() : fraction.substr(point);
    return parts;
}

std::wstring monitoring_state_text(bool on, std::uint32_t interval_ms) {
    const IntervalParts parts = split_interval(interval_ms);
    const StringId id = on ? ids::MonitoringOnInterval : ids::MonitoringOffInterval;
    return printf_text(string_text(id), {parts.hours, parts.minutes, parts.seconds,
                                         std::wstring_view(parts.fraction)});
}

std::wstring monitoring_created_text(std::uint32_t interval_ms) {
    return printf_text(string_text(ids::MonitoringOffSeconds), {std::int64_t{interval_ms}});
}

std::wstring log_size_zero_text(std::uint32_t limit_mb) {
    if (limit_mb == 0)
        return std::wstring(string_text(ids::LogSizeZeroUnlimited));
    return printf_text(string_text(ids::LogSizeZeroOfLimit), {std::int64_t{limit_mb}});
}

} // namespace brixtel
