#include "core/clock_texts.h"

#include <cstdio>
#include <cwctype>

namespace brixtel {

namespace {

bool is_white_space(wchar_t c) {
    // The no-break spaces some locales put before their AM/PM marker count too.
    return std::iswspace(static_cast<wint_t>(c)) || c == 0x00A0 || c == 0x2007 || c == 0x202F;
}

bool is_direction_mark(wchar_t c) {
    return c == 0x200E || c == 0x200F || c == 0x061C;
}

// Only digits, separators and white space are plain ASCII in a formatted time; anything
// beyond ASCII that is not a space or a direction mark belongs to a day-period marker
// ("上午", "ص") and counts as a letter whatever the C library's character tables say.
bool is_letter(wchar_t c) {
    if (c < 0x80)
        return std::iswalpha(static_cast<wint_t>(c)) != 0;
    return !is_white_space(c) && !is_direction_mark(c);
}

std::wstring milliseconds_text(unsigned milliseconds) {
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L".%03u", milliseconds);
    return text;
}

} // namespace

std::wstring time_text(const std::optional<std::wstring>& formatted, unsigned milliseconds) {
    if (!formatted)
        return std::wstring(kUnknownTime);
    std::wstring text = *formatted;
    const std::wstring fraction = milliseconds_text(milliseconds);
    if (!text.empty() && is_letter(text.front()))
        return text + fraction;
    std::size_t at = 0;
    while (at < text.size() && !is_letter(text[at]) && !is_white_space(text[at]))
        ++at;
    text.insert(at, fraction);
    return text;
}

std::wstring date_text(const std::optional<std::wstring>& formatted) {
    return formatted ? *formatted : std::wstring(kUnknownDate);
}

std::wstring time_text_now(LocaleClock& clock) {
    const LocalTime moment = clock.now();
    return time_text(clock.time_of_day(moment), moment.milliseconds);
}

Stamp take_stamp(LocaleClock& clock) {
    const std::wstring before = date_text(clock.short_date(clock.now()));
    const LocalTime moment = clock.now();
    const std::wstring time = time_text(clock.time_of_day(moment), moment.milliseconds);
    const std::wstring after = date_text(clock.short_date(clock.now()));
    if (before != after && moment.hour == 23)
        return {before, time};
    return {after, time};
}

} // namespace brixtel
