#include "shell/view_text.h"

#include "core/block_address.h"
#include "core/poll_snapshot.h"
#include "dde/item_grammar.h"
#include "shell/message_format.h"
#include "shell/printf_text.h"
#include "shell/string_table.h"

#include <algorithm>
#include <cwchar>

namespace brixtel {

namespace {

constexpr std::size_t kStringShownWhole = 20;
constexpr std::size_t kStringCut = 19;
constexpr std::size_t kMaxPreparedChars = 256;

constexpr std::wstring_view kTagStart = L"-- ";
constexpr std::wstring_view kTagEnd = L" --";

} // namespace

std::wstring format_significant_digits(std::wstring_view value, std::uint32_t digits) {
    const bool has_point = value.find(L'.') != std::wstring_view::npos;
    const std::size_t counted = value.size() - (has_point ? 1 : 0);
    if (counted <= digits)
        return std::wstring(value);
    const std::size_t first = std::min(value.find_first_not_of(L'0'), value.size());
    const std::wstring rest(value.substr(first));
    const double number = std::wcstod(rest.c_str(), nullptr);
    // digits < counted <= the text's length, so the precision stays small.
    const auto precision = static_cast<std::int64_t>(digits == 0 ? 0 : digits - 1);
    std::wstring text = printf_text(L"%.*E", {precision, number});
    if (text.size() > kMaxPreparedChars)
        text.resize(kMaxPreparedChars);
    return text;
}

std::wstring prepare_value(std::wstring_view value, std::uint16_t value_type,
                           std::uint32_t significant_digits) {
    switch (value_type) {
    case kValueNumber:
        if (significant_digits != 0)
            return format_significant_digits(value, significant_digits);
        return std::wstring(value);
    case kValueString:
        if (value.size() > kStringShownWhole)
            return std::wstring(value.substr(0, kStringCut));
        return std::wstring(value);
    default:
        return std::wstring(value);
    }
}

HeaderCells header_cells(std::wstring_view entry_text) {
    HeaderCells cells;
    if (const auto address = parse_point_description(entry_text))
        cells.block = row_key(*address);
    const std::size_t start = entry_text.find(kTagStart);
    if (start != std::wstring_view::npos) {
        const std::wstring_view after = entry_text.substr(start + kTagStart.size());
        cells.tag = std::wstring(after.substr(0, after.find(kTagEnd)));
    }
    return cells;
}

std::wstring entry_address_key(std::wstring_view entry_text) {
    return row_key(parse_point_description(entry_text).value_or(BlockAddress{}));
}

std::size_t records_available_for_logging(SnapshotList& buffer, std::size_t point_count) {
    const std::size_t count = buffer.size();
    if (count == 0)
        return 0;
    PollSnapshot* newest = buffer.newest();
    const bool newest_whole = newest && row_complete(*newest, point_count);
    return newest_whole ? count : count - 1;
}

std::wstring buffer_count_text(std::size_t count) {
    if (count == 0)
        return std::wstring(string_text(ids::BufferEmpty));
    return format_table_text(ids::BufferLineCount, {static_cast<std::int64_t>(count)})
        .value_or(std::wstring(string_text(ids::BufferLineCount)));
}

} // namespace brixtel
