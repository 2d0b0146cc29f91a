#include "logging/update_interval.h"

#include <gtest/gtest.h>

#include <optional>

namespace brixtel {
namespace {

TEST(UpdateIntervalFields, OpenWithWholeHoursAndMinutesAndTheSecondsWithTheirFraction) {
    struct Case {
        std::uint32_t interval_ms;
        IntervalFields shown;
    };
    const Case cases[] = {
        {1000, {L"0.000", L"0.000", L"1.000"}},
        {10, {L"0.000", L"0.000", L"0.010"}},
        {3723456, {L"1.000", L"2.000", L"3.456"}},
        {59999, {L"0.000", L"0.000", L"59.999"}},
        {kLongestUpdateIntervalMs, {L"596.000", L"30.000", L"0.000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval_ms);
        const IntervalFields fields = interval_field_texts(c.interval_ms);
        EXPECT_EQ(fields.hours, c.shown.hours);
        EXPECT_EQ(fields.minutes, c.shown.minutes);
        EXPECT_EQ(fields.seconds, c.shown.seconds);
    }
}

TEST(UpdateIntervalFields, TypingAllowsDigitsAndOnePointWithThreeDecimals) {
    const EntryRefusal wrong{ids::NumericCharacterRequired, ids::IncorrectFormat, true};
    const EntryRefusal decimals{ids::TooManyDecimals, ids::MaximumDecimalExceeded, true};
    struct Case {
        const wchar_t* text;
        std::optional<EntryRefusal> refusal;
    };
    const Case cases[] = {
        {L"", std::nullopt},      {L"12", std::nullopt},
        {L"1.", std::nullopt},    {L".5", std::nullopt},
        {L"1.250", std::nullopt}, {L"1,250", std::nullopt}, // a decimal comma counts as the point
        {L"1.2.3", std::nullopt}, // only digits after the first point are counted
        {L"1.2505", decimals},    {L"1,2505", decimals},
        {L"0.0001", decimals},    {L"-1", wrong},
        {L"1 ", wrong},           {L"1e3", wrong},
        {L"1.2345x", wrong}, // a wrong character is named before the decimals
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(check_interval_field(c.text), c.refusal);
    }
}

TEST(UpdateIntervalFields, OkReadsTheLeadingNumberInThousandths) {
    struct Case {
        const wchar_t* text;
        std::uint64_t thousandths;
    };
    const Case cases[] = {
        {L"", 0},
        {L"  ", 0},
        {L"0", 0},
        {L".", 0},
        {L"1", 1000},
        {L" 2.5 ", 2500},
        {L"1,5", 1500},
        {L"0.01", 10},
        {L"0.009", 9},
        {L"3.4567", 3456},
        {L"7abc", 7000},
        {L"1.2.3", 1200},
        {L"abc", 0},
        {L"0596.5", 596500},
        {L"99999999999999999999", 1000000000000}, // held beyond any interval
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(interval_field_thousandths(c.text), c.thousandths);
    }
}

TEST(UpdateIntervalEntry, AcceptsTenMillisecondsTo596AndAHalfHoursAndRefusesTheRest) {
    const IntervalFields one_second = interval_field_texts(1000);
    struct Case {
        const char* name;
        IntervalFields typed;
        IntervalOutcome outcome;
        std::uint32_t interval_ms; // accepted
        StringId refusal;          // refused
    };
    const Case cases[] = {
        {"shortest", {L"0", L"0", L"0.01"}, IntervalOutcome::Accepted, 10, 0},
        {"just below the shortest",
         {L"0", L"0", L"0.009"},
         IntervalOutcome::Refused,
         0,
         ids::FrequencyTooLow},
        {"longest", {L"596", L"30", L"0"}, IntervalOutcome::Accepted, 2147400000, 0},
        {"longest as hours", {L"596.5", L"", L""}, IntervalOutcome::Accepted, 2147400000, 0},
        {"one second over",
         {L"596", L"30", L"1"},
         IntervalOutcome::Refused,
         0,
         ids::FrequencyTooHigh},
        {"far over",
         {L"99999999999999999999", L"0", L"0"},
         IntervalOutcome::Refused,
         0,
         ids::FrequencyTooHigh},
        {"decimal comma", {L"0", L"0", L"1,5"}, IntervalOutcome::Accepted, 1500, 0},
        {"all three add up", {L"1", L"2", L"3.456"}, IntervalOutcome::Accepted, 3723456, 0},
        {"fractions of hours and minutes",
         {L"0.001", L"0.5", L""},
         IntervalOutcome::Accepted,
         33600,
         0},
        // 1.005 * 1000 is 1004.9999... in binary floating point.
        {"three decimals kept exactly", {L"", L"", L"1.005"}, IntervalOutcome::Accepted, 1005, 0},
        {"blanks and trailing text", {L" 0 ", L"1 min", L""}, IntervalOutcome::Accepted, 60000, 0},
        {"all zero", {L"0", L"0.000", L""}, IntervalOutcome::Refused, 0, ids::FrequencyZero},
        {"all empty", {L"", L"", L""}, IntervalOutcome::Refused, 0, ids::FrequencyZero},
        {"unchanged", one_second, IntervalOutcome::Unchanged, 0, 0},
        {"unchanged, written otherwise", {L"0", L"", L"1,0"}, IntervalOutcome::Unchanged, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IntervalEntry entry = read_interval_entry(c.typed, one_second);
        EXPECT_EQ(entry.outcome, c.outcome);
        if (c.outcome == IntervalOutcome::Accepted) {
            EXPECT_EQ(entry.interval_ms, c.interval_ms);
        }
        if (c.outcome == IntervalOutcome::Refused) {
            ASSERT_TRUE(entry.refusal);
            EXPECT_EQ(*entry.refusal, (EntryRefusal{c.refusal, ids::InvalidFrequency, true}));
        } else {
            EXPECT_FALSE(entry.refusal);
        }
    }
}

TEST(UpdateIntervalEntry, TheOpeningValuesOfAnyIntervalReadBackUnchanged) {
    for (std::uint32_t interval : {10u, 999u, 1000u, 61001u, 3723456u, kLongestUpdateIntervalMs}) {
        SCOPED_TRACE(interval);
        const IntervalFields shown = interval_field_texts(interval);
        EXPECT_EQ(read_interval_entry(shown, shown).outcome, IntervalOutcome::Unchanged);
        // The same values opened from another interval are taken as they are.
        const IntervalEntry taken = read_interval_entry(shown, interval_field_texts(5));
        EXPECT_EQ(taken.outcome, IntervalOutcome::Accepted);
        EXPECT_EQ(taken.interval_ms, interval);
    }
}

TEST(UpdateIntervalStatus, ReplacesTheParenthesisedPartOrWritesTheOffText) {
    struct Case {
        const wchar_t* shown;
        std::uint32_t interval_ms;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Monitoring: ON (00:00:01.000)", 1500, L"Monitoring: ON (00:00:01.500)"},
        {L"Monitoring: OFF (00:00:01.000)", 2147400000, L"Monitoring: OFF (596:30:00.000)"},
        {L"Monitoring: OFF (1000 ms)", 10, L"Monitoring: OFF (00:00:00.010)"},
        {L"odd (a) (b)", 3723456, L"odd (01:02:03.456)"},
        {L"", 1000, L"Monitoring: OFF (00:00:01.000)"},
        {L"Monitoring: ON", 61000, L"Monitoring: OFF (00:01:01.000)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.shown)));
        EXPECT_EQ(interval_status_text(c.shown, c.interval_ms), c.expected);
    }
}

} // namespace
} // namespace brixtel
