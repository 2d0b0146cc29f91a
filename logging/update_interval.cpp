#include "logging/update_interval.h"

#include "shell/printf_text.h"
#include "shell/status_texts.h"
#include "shell/string_table.h"

namespace brixtel {
namespace {

constexpr std::uint64_t kThousandthsHeld = 1000000000000; // 10^12

bool is_digit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool is_point(wchar_t c) {
    return c == L'.' || c == L',';
}

} // namespace

IntervalFields interval_field_texts(std::uint32_t interval_ms) {
    const std::int64_t ms = interval_ms;
    const std::int64_t hours = ms / 3600000;
    const std::int64_t minutes = (ms - hours * 3600000) / 60000;
    const double seconds = static_cast<double>(ms - (hours * 3600 + minutes * 60) * 1000) / 1000.0;
    return {printf_text(L"%.3f", {static_cast<double>(hours)}),
            printf_text(L"%.3f", {static_cast<double>(minutes)}), printf_text(L"%.3f", {seconds})};
}

std::optional<EntryRefusal> check_interval_field(std::wstring_view text) {
    for (wchar_t c : text) {
        if (!is_digit(c) && !is_point(c))
            return EntryRefusal{ids::NumericCharacterRequired, ids::IncorrectFormat, true};
    }
    const auto point = text.find_first_of(L".,");
    if (point == std::wstring_view::npos)
        return std::nullopt;
    std::size_t decimals = 0;
    for (wchar_t c : text.substr(point + 1))
        decimals += is_digit(c) ? 1 : 0;
    if (decimals > 3)
        return EntryRefusal{ids::TooManyDecimals, ids::MaximumDecimalExceeded, true};
    return std::nullopt;
}

std::uint64_t interval_field_thousandths(std::wstring_view text) {
    text = trim_blanks(text);
    std::size_t at = 0;
    std::uint64_t whole = 0;
    for (; at < text.size() && is_digit(text[at]); ++at) {
        whole = whole * 10 + static_cast<std::uint64_t>(text[at] - L'0');
        if (whole >= kThousandthsHeld / 1000)
            return kThousandthsHeld;
    }
    std::uint64_t fraction = 0;
    if (at < text.size() && is_point(text[at])) {
        ++at;
        for (std::uint64_t scale = 100; at < text.size() && is_digit(text[at]); ++at, scale /= 10)
            fraction += static_cast<std::uint64_t>(text[at] - L'0') * scale;
    }
    return whole * 1000 + fraction;
}

IntervalEntry read_interval_entry(const IntervalFields& typed, const IntervalFields& shown) {
    const std::uint64_t hours = interval_field_thousandths(typed.hours);
    const std::uint64_t minutes = interval_field_thousandths(typed.minutes);
    const std::uint64_t seconds = interval_field_thousandths(typed.seconds);
    const EntryRefusal refusal_base{0, ids::InvalidFrequency, true};
    if (hours == 0 && minutes == 0 && seconds == 0) {
        EntryRefusal zero = refusal_base;
        zero.text = ids::FrequencyZero;
        return {IntervalOutcome::Refused, 0, zero};
    }
    if (hours == interval_field_thousandths(shown.hours) &&
        minutes == interval_field_thousandths(shown.minutes) &&
        seconds == interval_field_thousandths(shown.seconds))
        return {IntervalOutcome::Unchanged, 0, std::nullopt};
    // Thousandths of an hour, a minute and a second are whole milliseconds, so the total is
    // exact: three decimals typed are never lost to binary rounding.
    const std::uint64_t total_ms = hours * 3600 + minutes * 60 + seconds;
    if (total_ms > kLongestUpdateIntervalMs) {
        EntryRefusal too_long = refusal_base;
        too_long.text = ids::FrequencyTooHigh;
        return {IntervalOutcome::Refused, 0, too_long};
    }
    if (total_ms < kShortestUpdateIntervalMs) {
        EntryRefusal too_short = refusal_base;
        too_short.text = ids::FrequencyTooLow;
        return {IntervalOutcome::Refused, 0, too_short};
    }
    return {IntervalOutcome::Accepted, static_cast<std::uint32_t>(total_ms), std::nullopt};
}

std::wstring interval_status_text(std::wstring_view shown, std::uint32_t interval_ms) {
    const auto parenthesis = shown.find(L'(');
    if (parenthesis == std::wstring_view::npos)
        return monitoring_state_text(false, interval_ms);
    const IntervalParts parts = split_interval(interval_ms);
    return std::wstring(shown.substr(0, parenthesis)) +
           printf_text(L"(%02d:%02d:%02d%s)", {parts.hours, parts.minutes, parts.seconds,
                                               std::wstring_view(parts.fraction)});
}

} // namespace brixtel
