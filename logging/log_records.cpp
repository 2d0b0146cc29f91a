#include "logging/log_records.h"

#include "shell/printf_text.h"

#include <algorithm>

namespace brixtel {
namespace {

std::size_t leading_columns(const LogColumns& c) {
    return std::size_t{c.date} + std::size_t{c.req_time} + std::size_t{c.first_time} +
           std::size_t{c.last_time};
}

// A time field, with its date in front when the date is asked for too.
void append_time_field(std::wstring& row, bool with_date, std::wstring_view date,
                       std::wstring_view time) {
    if (with_date)
        row.append(date).append(L" ");
    row.append(time).append(L",");
}

std::wstring address_item(const BlockAddress& a) {
    return printf_text(L"%d-%d-%d-%d", {std::int64_t{a.loop}, std::int64_t{a.pcu},
                                        std::int64_t{a.module}, std::int64_t{a.block}});
}

} // namespace

std::array<std::wstring, 3> csv_header(const LogColumns& columns,
                                       std::span<const BlockAddress> points,
                                       std::span<const std::wstring> tag_names) {
    const std::wstring leading(leading_columns(columns), L',');
    std::array<std::wstring, 3> lines{leading, leading, {}};
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0)
            lines[0] += L',';
        lines[0] += address_item(points[i]);
        if (columns.indv_time)
            lines[0] += L",[Time In]";
    }
    for (std::size_t i = 0; i < tag_names.size(); ++i) {
        if (i > 0)
            lines[1] += L',';
        lines[1] += tag_names[i];
        if (columns.indv_time)
            lines[1] += L',';
    }
    if (columns.date)
        lines[2] += L"Date,";
    if (columns.req_time)
        lines[2] += L"Time of Request,";
    if (columns.first_time)
        lines[2] += L"FirstTime,";
    if (columns.last_time)
        lines[2] += L"Last Data In";
    return lines;
}

std::wstring csv_row(const LogColumns& columns, std::wstring_view date,
                     const CsvRowFields& fields) {
    std::wstring row;
    if (columns.date)
        row.append(date).append(L",");
    if (columns.req_time)
        append_time_field(row, columns.req_date, date, fields.request_time);
    if (columns.first_time)
        append_time_field(row, columns.first_date, fields.first_date, fields.first_time);
    if (columns.last_time)
        append_time_field(row, columns.last_date, fields.last_date, fields.last_time);
    for (const CsvCell& cell : fields.points) {
        if (cell.value)
            row += *cell.value;
        row += L',';
        if (columns.indv_time)
            append_time_field(row, columns.indv_date, cell.date, cell.time);
    }
    return row;
}

namespace {

CsvRowFields cycle_fields(const PollSnapshot& snapshot) {
    CsvRowFields fields;
    fields.request_time = snapshot.request_time;
    fields.first_time = snapshot.values[0].value_or(std::wstring());
    fields.first_date = snapshot.dates[0];
    fields.last_time = snapshot.values[1].value_or(std::wstring());
    fields.last_date = snapshot.dates[1];
    return fields;
}

CsvCell cell_of(const PollSnapshot& snapshot, std::size_t slot) {
    return {snapshot.values[slot], snapshot.times[slot], snapshot.dates[slot]};
}

} // namespace

CsvRowFields live_row_fields(const PollSnapshot& snapshot, std::size_t points) {
    CsvRowFields fields = cycle_fields(snapshot);
    for (std::size_t row = 1; row <= points; ++row) {
        const auto slot = slot_of_row(row);
        if (!slot)
            break;
        fields.points.push_back(cell_of(snapshot, *slot));
    }
    return fields;
}

CsvRowFields past_row_fields(const PollSnapshot& snapshot, std::span<const BlockAddress> columns) {
    CsvRowFields fields = cycle_fields(snapshot);
    for (const BlockAddress& address : columns) {
        const std::wstring key = row_key(address);
        CsvCell cell;
        for (std::size_t row = 1; const auto slot = slot_of_row(row); ++row) {
            if (snapshot.addresses[*slot] == key) {
                cell = cell_of(snapshot, *slot);
                break;
            }
        }
        fields.points.push_back(std::move(cell));
    }
    return fields;
}

std::vector<std::wstring> debug_log_lines(std::wstring_view date, std::wstring_view time,
                                          std::wstring_view text) {
    std::wstring lead;
    lead.append(date).append(L"\t").append(time).append(L"\t");
    std::vector<std::wstring> lines;
    while (true) {
        const std::size_t feed = text.find(L'\n');
        lines.push_back(lead + std::wstring(text.substr(0, feed)));
        if (feed == std::wstring_view::npos)
            break;
        text.remove_prefix(feed + 1);
    }
    return lines;
}

std::vector<std::size_t> past_items(std::size_t stored, std::optional<std::size_t> count) {
    const std::size_t wanted = std::min(stored, count.value_or(stored));
    std::vector<std::size_t> items;
    for (std::size_t i = stored - wanted; i < stored; ++i)
        items.push_back(i);
    return items;
}

} // namespace brixtel
