#include "logging/sync_start.h"

#include "platform/text.h"
#include "shell/printf_text.h"

#include <algorithm>
#include <cwctype>

namespace brixtel {
namespace {

bool is_digit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// A list item read as the number it starts with; nothing for an item without one.
std::optional<std::uint32_t> number_of_item(const std::optional<std::wstring>& item) {
    if (!item || item->empty() || !is_digit(item->front()))
        return std::nullopt;
    return static_cast<std::uint32_t>(integer_of_piece(*item));
}

bool same_minute(ClockMinute now, std::uint32_t hour, std::uint32_t minute) {
    return now.hour == hour && now.minute == minute;
}

} // namespace

ClockForm clock_form_of(std::wstring_view sample) {
    ClockForm form;
    form.twelve_hour =
        std::any_of(sample.begin(), sample.end(), [](wchar_t c) { return std::iswalpha(c); });
    const auto punctuation =
        std::find_if(sample.begin(), sample.end(), [](wchar_t c) { return std::iswpunct(c); });
    if (punctuation != sample.end())
        form.separator = *punctuation;
    const auto first_digit = std::find_if(sample.begin(), sample.end(), is_digit);
    form.two_digit_hours = first_digit != sample.end() && first_digit + 1 != sample.end() &&
                           is_digit(*(first_digit + 1));
    return form;
}

std::vector<std::wstring> hour_items(const ClockForm& form) {
    const std::int64_t first = form.twelve_hour ? 1 : 0;
    const std::int64_t last = form.twelve_hour ? 12 : 23;
    std::vector<std::wstring> items;
    for (std::int64_t hour = first; hour <= last; ++hour)
        items.push_back(printf_text(form.two_digit_hours ? L"%02d" : L"%d", {hour}));
    return items;
}

std::vector<std::wstring> minute_items() {
    std::vector<std::wstring> items;
    for (std::int64_t minute = 0; minute < 60; ++minute)
        items.push_back(printf_text(L"%02d", {minute}));
    return items;
}

ShownTime shown_time(SyncTime time, bool twelve_hour) {
    if (!twelve_hour)
        return {time.hour, time.minute, time.hour >= 12};
    if (time.hour == 0)
        return {12, time.minute, false};
    if (time.hour < 12)
        return {time.hour, time.minute, false};
    if (time.hour == 12)
        return {12, time.minute, true};
    return {time.hour - 12, time.minute, true};
}

std::optional<SyncTime> chosen_time(const std::optional<std::wstring>& hour,
                                    const std::optional<std::wstring>& minute,
                                    const std::optional<std::wstring>& am_pm, bool twelve_hour) {
    const auto hour_number = number_of_item(hour);
    const auto minute_number = number_of_item(minute);
    if (!hour_number || !minute_number)
        return std::nullopt;
    SyncTime time{*hour_number, *minute_number};
    if (!twelve_hour)
        return time;
    if (!am_pm)
        return std::nullopt;
    if (*am_pm == kAm && time.hour == 12)
        time.hour = 0;
    else if (*am_pm == kPm && time.hour != 12)
        time.hour += 12;
    return time;
}

SyncChoice sync_choice_of(const LoggingOptions& options) {
    SyncChoice choice;
    choice.start_on = options.start_time;
    if (choice.start_on)
        choice.start = {options.start_hour, options.start_minute};
    choice.stop_on = options.stop_time;
    if (choice.stop_on)
        choice.stop = {options.stop_hour, options.stop_minute};
    choice.sync_log = options.sync_log;
    return choice;
}

void SyncClock::tick(ClockMinute now, const LoggingOptions& options, SyncPartner& partner,
                     LogControl& log) {
    if (options.start_time && !partner.point_list_empty() &&
        same_minute(now, options.start_hour, options.start_minute)) {
        // Once per minute: a user who stops monitoring within the start minute keeps it off.
        if (!partner.monitoring_on() && !start_fired_)
            start(options, partner, log);
    } else {
        start_fired_ = false;
    }
    if (options.stop_time && same_minute(now, options.stop_hour, options.stop_minute)) {
        if (partner.monitoring_on())
            stop(options, partner, log);
        start_fired_ = false;
    }
}

void SyncClock::start(const LoggingOptions& options, SyncPartner& partner, LogControl& log) {
    if (options.sync_log && !log.logging_on()) {
        // A dated file in the default folder, so each day's synchronized run has its own.
        log.use_default_location(true);
        log.build_log_path();
        log.start_logging(false);
        log.check_size(true);
    }
    partner.send_monitoring_command();
    start_fired_ = true;
}

void SyncClock::stop(const LoggingOptions& options, SyncPartner& partner, LogControl& log) {
    partner.send_monitoring_command();
    if (!options.sync_log || !log.logging_on())
        return;
    // Logging the user switched on is the user's to switch off.
    if (!log.user_started_logging())
        log.stop_logging();
    log.use_default_location(false);
    log.refresh_log_status();
}

void take_sync_choice(const SyncChoice& choice, LoggingOptions& options, SyncClock& clock,
                      SyncPartner& partner) {
    const SyncTime off{};
    const SyncTime start = choice.start_on ? choice.start : off;
    const SyncTime stop = choice.stop_on ? choice.stop : off;
    options.start_time = choice.start_on;
    options.start_hour = start.hour;
    options.start_minute = start.minute;
    options.stop_time = choice.stop_on;
    options.stop_hour = stop.hour;
    options.stop_minute = stop.minute;
    options.sync_log = choice.sync_log;
    clock.clear_start_fired();
    // While a start is set, only its clock switches monitoring on.
    partner.enable_monitoring_command(!choice.start_on && !partner.point_list_empty());
}

} // namespace brixtel
