#pragma once
// The update interval (the Poll timer's period) as the Update Interval dialog edits it: hours,
// minutes and seconds in three fields, checked while they are typed and again on OK.
#include "shell/number_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

inline constexpr std::uint32_t kShortestUpdateIntervalMs = 10;
inline constexpr std::uint32_t kLongestUpdateIntervalMs = 2147400000; // 596.50 hours
// How much of a field the dialog reads.
inline constexpr std::size_t kIntervalFieldChars = 128;

struct IntervalFields {
    std::wstring hours;
    std::wstring minutes;
    std::wstring seconds;
};

// The interval as the dialog opens with it: whole hours, whole minutes and the seconds with
// their fraction, each with three decimals ("0.000", "0.000", "1.000" for one second).
IntervalFields interval_field_texts(std::uint32_t interval_ms);

// A field's text while it is typed: digits and "." only ("," counts as "."), with at most
// three digits after the first ".". Empty is fine. A refused text is put back to the field's
// last accepted one, selected.
std::optional<EntryRefusal> check_interval_field(std::wstring_view text);

// A field's text as OK reads it: "," counts as ".", blanks around it are dropped, empty is 0,
// and the number it starts with counts (anything after it is ignored). In thousandths of the
// field's unit, so that three decimals are kept exactly; more are cut off. Held at 10^12,
// which is beyond any interval the dialog accepts.
std::uint64_t interval_field_thousandths(std::wstring_view text);

enum class IntervalOutcome {
    Accepted,  // a new interval
    Unchanged, // the fields hold the values the dialog opened with: nothing to store
    Refused,   // the dialog stays open with the hours field selected
};

struct IntervalEntry {
    IntervalOutcome outcome = IntervalOutcome::Unchanged;
    std::uint32_t interval_ms = 0; // when accepted
    std::optional<EntryRefusal> refusal;
};

// OK: all three zero is refused (260), then unchanged values change nothing, then the total
// must lie within 10 ms and 596.50 hours, both included (369 above, 370 below).
IntervalEntry read_interval_entry(const IntervalFields& typed, const IntervalFields& shown);

// Status part 0 once the interval changed: the parenthesised part of what it shows now is
// replaced by "(hh:mm:ss.mmm)" of the new interval; a text without one becomes message 148.
std::wstring interval_status_text(std::wstring_view shown, std::uint32_t interval_ms);

} // namespace brixtel
