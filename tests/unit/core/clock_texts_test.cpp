#include "core/clock_texts.h"

#include "cycle_fakes.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

struct TimeCase {
    std::optional<std::wstring> formatted;
    unsigned milliseconds;
    std::wstring expected;
};

class TimeTextTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeTextTest, MillisecondsFollowTheLastDigitGroup) {
    const TimeCase& c = GetParam();
    EXPECT_EQ(time_text(c.formatted, c.milliseconds), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TimeTextTest,
    ::testing::Values(
        TimeCase{L"10:23:45", 123, L"10:23:45.123"},     // 24-hour clock: at the end
        TimeCase{L"13:05:09", 42, L"13:05:09.042"},      // three digits, zero-padded
        TimeCase{L"1:05:09 PM", 42, L"1:05:09.042 PM"},  // before the blank of the marker
        TimeCase{L"10:23:45AM", 0, L"10:23:45.000AM"},   // before the marker's first letter
        TimeCase{L"AM 10:23:45", 7, L"AM 10:23:45.007"}, // leading marker: at the end
        TimeCase{L"10.23.45", 999, L"10.23.45.999"},
        TimeCase{L"10:23:45\u202FPM", 5, L"10:23:45.005\u202FPM"}, // narrow no-break space
        TimeCase{L"\u4E0A\u5348 10:23:45", 5, L"\u4E0A\u5348 10:23:45.005"},
        TimeCase{L"10:23:45 \u0635", 5, L"10:23:45.005 \u0635"},
        TimeCase{std::nullopt, 123, L"??:??:??.???"}));

TEST(DateText, UnformattableDateIsMarked) {
    EXPECT_EQ(date_text(std::nullopt), L"??? ?? ????");
    EXPECT_EQ(date_text(std::wstring(L"3/4/21")), L"3/4/21");
}

LocalTime at(std::uint16_t day, std::uint16_t hour, std::uint16_t minute = 59) {
    return LocalTime{2024, 3, 0, day, hour, minute, 59, 998};
}

struct StampCase {
    const char* name;
    LocalTime date_before, time, date_after;
    std::wstring expected_date;
};

class StampTest : public ::testing::TestWithParam<StampCase> {};

TEST_P(StampTest, DateIsReadAroundTheTime) {
    const StampCase& c = GetParam();
    testing::FakeClock clock;
    clock.moments = {c.date_before, c.time, c.date_after};
    const Stamp stamp = take_stamp(clock);
    EXPECT_EQ(stamp.date, c.expected_date);
    EXPECT_EQ(stamp.time, time_text(clock.time_of_day(c.time), 998));
}

INSTANTIATE_TEST_SUITE_P(
    Midnight, StampTest,
    ::testing::Values(
        // The time was read before midnight: it keeps the old day's date.
        StampCase{"LateTimeKeepsOldDate", at(1, 23), at(1, 23), at(2, 0, 0), L"1/3/2024"},
        // The time was read after midnight: the new day's date.
        StampCase{"EarlyTimeTakesNewDate", at(1, 23), at(2, 0, 0), at(2, 0, 0), L"2/3/2024"},
        StampCase{"SameDay", at(5, 12), at(5, 12), at(5, 12), L"5/3/2024"}),
    [](const auto& info) { return info.param.name; });

TEST(Stamp, FailedFormatsGiveTheMarkers) {
    testing::FakeClock clock;
    clock.dates_fail = true;
    clock.times_fail = true;
    const Stamp stamp = take_stamp(clock);
    EXPECT_EQ(stamp.date, kUnknownDate);
    EXPECT_EQ(stamp.time, kUnknownTime);
}

} // namespace
} // namespace brixtel
