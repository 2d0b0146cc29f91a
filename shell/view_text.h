#pragma once
// The texts the two views show besides the raw traffic: values made ready by their Value
// type, the Export View's header cells, and the record counts the logging dialogs quote.
#include <cstdint>
#include <string>
#include <string_view>

namespace brixtel {

// Value types of an answer, as the server names them.
inline constexpr std::uint16_t kValueOther = 0;
inline constexpr std::uint16_t kValueNumber = 1; // "REAL" or "INT"
inline constexpr std::uint16_t kValueString = 2; // "OK STRING"

// A number with more characters than `digits` (a "." not counted) in exponent form with
// `digits` significant digits ("1234.5" with 3 gives "1.23E+03"); others unchanged.
std::wstring format_significant_digits(std::wstring_view value, std::uint32_t digits);

// A value as the views show it: numbers through the significant-digit rule (0 = no limit),
// strings longer than 20 characters cut to 19, anything else unchanged.
std::wstring prepare_value(std::wstring_view value, std::uint16_t value_type,
                           std::uint32_t significant_digits);

// The Export View header cells of one tag entry text ("Module 1,2,3 Block 4 -- TAG -- DB"):
// the address "1-2-3-4" when the text names one (else empty), and the tag name between the
// first "-- " and the next " --".
struct HeaderCells {
    std::wstring block;
    std::wstring tag;
};
HeaderCells header_cells(std::wstring_view entry_text);

// The address key an entry's column takes its values from ("0-0-0-0" when the text names
// no address, which no row carries).
std::wstring entry_address_key(std::wstring_view entry_text);

// How many whole records the View buffer offers the log: all of them but the newest, which
// counts too once every one of its first `point_count` + 2 columns holds text.
class SnapshotList;
std::size_t records_available_for_logging(SnapshotList& buffer, std::size_t point_count);

// "There are presently N lines in the buffer."
std::wstring buffer_count_text(std::size_t count);

} // namespace brixtel
