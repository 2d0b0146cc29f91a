#pragma once
// The synchronized start and stop: monitoring (and with it logging) begins and ends at a set
// time of day. The dialog's clock form and time conversions, what its OK stores, and the clock
// that compares the time with the set times once a second.
#include "logging/log_control.h"
#include "settings/logging_options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// How the user's locale writes a time, read from a sample time whose hour is 1.
struct ClockForm {
    bool twelve_hour = false; // hours 1 to 12 with an AM/PM list
    wchar_t separator = L':';
    bool two_digit_hours = false; // "01" rather than "1"
};

// A sample with a letter in it (an AM/PM designator) means a 12-hour clock. The separator is
// its first punctuation character; the hours have two digits when its first run of digits
// does.
ClockForm clock_form_of(std::wstring_view sample);

// The items of the hour list ("%02d" or "%d"; 1 to 12 or 0 to 23) and of the minute list
// ("00" to "59").
std::vector<std::wstring> hour_items(const ClockForm& form);
std::vector<std::wstring> minute_items();

inline constexpr wchar_t kAm[] = L"AM";
inline constexpr wchar_t kPm[] = L"PM";

// A time of day as stored: hour 0-23, minute 0-59.
struct SyncTime {
    std::uint32_t hour = 12;
    std::uint32_t minute = 0;

    bool operator==(const SyncTime&) const = default;
};

// A time as its lists show it: on the 12-hour clock 0 is 12 AM, 12 is 12 PM and 13-23 are
// 1-11 PM; the 24-hour clock shows the hour as it is (pm unused).
struct ShownTime {
    std::uint32_t hour = 12;
    std::uint32_t minute = 0;
    bool pm = true;

    bool operator==(const ShownTime&) const = default;
};

ShownTime shown_time(SyncTime time, bool twelve_hour);

// The texts selected in a time's lists read back as a stored time; `am_pm` only for the
// 12-hour clock, where "AM" turns 12 into 0 and "PM" adds 12 to the other hours. Nothing when
// a list has no selection or its text is no number.
std::optional<SyncTime> chosen_time(const std::optional<std::wstring>& hour,
                                    const std::optional<std::wstring>& minute,
                                    const std::optional<std::wstring>& am_pm, bool twelve_hour);

// What the Synchronized start dialog shows and stores. A time that is off is stored as
// 12:00, and shows as that.
struct SyncChoice {
    bool start_on = false;
    SyncTime start;
    bool stop_on = false;
    SyncTime stop;
    bool sync_log = true;

    bool operator==(const SyncChoice&) const = default;
};

SyncChoice sync_choice_of(const LoggingOptions& options);

// What the synchronized start needs of the program besides the log writer. Main thread only.
class SyncPartner {
  public:
    virtual ~SyncPartner() = default;
    virtual bool monitoring_on() const = 0;
    virtual bool point_list_empty() const = 0;
    // The Monitoring command, handled before the call returns: monitoring on when off, off
    // when on.
    virtual void send_monitoring_command() = 0;
    // Enables or grays the Monitoring command.
    virtual void enable_monitoring_command(bool enabled) = 0;
};

// The local clock to the minute, as the Sync check timer reads it.
struct ClockMinute {
    std::uint32_t hour = 0;
    std::uint32_t minute = 0;
};

class SyncClock {
  public:
    // Once a second. The start minute switches monitoring on once (and logging to the dated
    // default file with Sync logging); the stop minute switches monitoring off and ends the
    // logging the start began.
    void tick(ClockMinute now, const LoggingOptions& options, SyncPartner& partner,
              LogControl& log);

    // A start chosen anew may fire within the minute it was chosen in.
    void clear_start_fired() { start_fired_ = false; }
    bool start_fired() const { return start_fired_; }

  private:
    void start(const LoggingOptions& options, SyncPartner& partner, LogControl& log);
    void stop(const LoggingOptions& options, SyncPartner& partner, LogControl& log);

    bool start_fired_ = false;
};

// The dialog's OK: the choice becomes the current list's options (kept with the list until
// it is saved), a new start may fire at once, and the Monitoring command is grayed while a
// start is set, else enabled when there are points to monitor.
void take_sync_choice(const SyncChoice& choice, LoggingOptions& options, SyncClock& clock,
                      SyncPartner& partner);

} // namespace brixtel
