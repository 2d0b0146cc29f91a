#pragma once
// The text of log records: the three header lines and the rows of a .CSV log, the lines of a
// .LOG log, and which stored items past data writes. Lines come without their line ends.
#include "core/block_address.h"
#include "core/poll_snapshot.h"
#include "logging/log_control.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// The three header lines: the points' addresses (with a "[Time In]" column after each when
// every point carries its own time), the tag names under them, and the leading column names.
// The leading columns (date, request, first and last answer) are left blank on the first two.
std::array<std::wstring, 3> csv_header(const LogColumns& columns,
                                       std::span<const BlockAddress> points,
                                       std::span<const std::wstring> tag_names);

struct CsvCell {
    std::optional<std::wstring> value; // none: the column stays empty
    std::wstring time;
    std::wstring date;
};

// What a row holds besides its date.
struct CsvRowFields {
    std::wstring request_time;
    std::wstring first_time;
    std::wstring first_date;
    std::wstring last_time;
    std::wstring last_date;
    std::vector<CsvCell> points;
};

// One row: every field followed by ",", so a row always ends with a comma.
std::wstring csv_row(const LogColumns& columns, std::wstring_view date, const CsvRowFields& fields);

// A live row: the first `points` rows of the snapshot (at most 50 have one).
CsvRowFields live_row_fields(const PollSnapshot& snapshot, std::size_t points);

// A past row: one column per address, taken from the snapshot's row with the same address
// text, empty when the snapshot has none.
CsvRowFields past_row_fields(const PollSnapshot& snapshot, std::span<const BlockAddress> columns);

// The lines of a Debug View entry: one per line of its text, each "date<TAB>time<TAB>line".
std::vector<std::wstring> debug_log_lines(std::wstring_view date, std::wstring_view time,
                                          std::wstring_view text);

// Which of `stored` items past data writes: the most recent `count` (all when none), oldest
// first, as indices from the oldest stored item.
std::vector<std::size_t> past_items(std::size_t stored, std::optional<std::size_t> count);

} // namespace brixtel
