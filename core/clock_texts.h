#pragma once
// The date and time texts stamped on requests, answers, snapshot rows and log lines. The
// locale does the formatting; this part adds the milliseconds and the midnight rule.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

// A moment of the local clock, as the system hands it out.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day_of_week = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

// The local clock and the thread locale's formats.
class LocaleClock {
  public:
    virtual ~LocaleClock() = default;
    virtual LocalTime now() = 0;
    // The locale's short date of `moment`; nothing when it cannot be formed.
    virtual std::optional<std::wstring> short_date(const LocalTime& moment) = 0;
    // The locale's default time format of `moment`, without milliseconds; nothing when it
    // cannot be formed.
    virtual std::optional<std::wstring> time_of_day(const LocalTime& moment) = 0;
};

inline constexpr std::wstring_view kUnknownDate = L"??? ?? ????";
inline constexpr std::wstring_view kUnknownTime = L"??:??:??.???";

// The formatted time with ".mmm" put right after its last digit group: before the first
// letter or white space (so "10:23:45 AM" becomes "10:23:45.123 AM"), at the end when there
// is none, and also at the end when the time starts with a letter (a leading AM/PM marker).
// No formatted time gives kUnknownTime.
std::wstring time_text(const std::optional<std::wstring>& formatted, unsigned milliseconds);

// The formatted date, or kUnknownDate.
std::wstring date_text(const std::optional<std::wstring>& formatted);

// The time text of the clock's present moment.
std::wstring time_text_now(LocaleClock& clock);

struct Stamp {
    std::wstring date;
    std::wstring time;
};

// The date is read, then the time, then the date again. A date that changed meanwhile
// belongs to the new day unless the time was still in the 23rd hour: a time just before
// midnight never carries the next day's date.
Stamp take_stamp(LocaleClock& clock);

} // namespace brixtel
