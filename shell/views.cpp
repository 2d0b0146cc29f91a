#include "shell/views.h"

#include "shell/string_table.h"
#include "shell/view_text.h"

#include <algorithm>
#include <vector>

namespace brixtel {

namespace {

bool has_text(const std::optional<std::wstring>& slot) {
    return slot && !slot->empty();
}

// The highest position a bar can take with its page.
int last_position(const ScrollBarState& bar) {
    return bar.max - bar.page + 1;
}

int requested_step(ScrollRequest request, const ScrollBarState& bar, int track_position,
                   ScrollBar which) {
    const bool vertical = which == ScrollBar::Vertical;
    switch (request) {
    case ScrollRequest::LineUp:
        return bar.position == bar.min ? 0 : -1;
    case ScrollRequest::LineDown:
        return 1;
    case ScrollRequest::PageUp:
        return -std::min(bar.position, bar.page);
    case ScrollRequest::PageDown:
        return std::min(bar.page, bar.max - bar.page - bar.position + 1);
    case ScrollRequest::ThumbTrack:
        return track_position - bar.position;
    case ScrollRequest::Top:
        return vertical ? -bar.position : 0;
    case ScrollRequest::Bottom:
        return vertical ? bar.max - bar.position + 1 : 0;
    case ScrollRequest::ThumbPosition:
    case ScrollRequest::Other:
        return 0;
    }
    return 0;
}

} // namespace

std::optional<ScrollMove> scroll_move(ScrollRequest request, const ScrollBarState& bar,
                                      int track_position, ScrollBar which) {
    const int limit = last_position(bar);
    const int step = std::min(requested_step(request, bar, track_position, which), limit);
    if (step == 0)
        return std::nullopt;
    int position = bar.position + step;
    if (position < 0)
        position = -position;
    if (position > limit)
        return ScrollMove{step, limit, false};
    return ScrollMove{step, position, true};
}

std::array<int, kViewColumns> export_column_positions(int char_width) {
    // Every column gets its place, so a row drawn before the first paint never piles its
    // cells onto column 0.
    std::array<int, kViewColumns> positions{};
    positions[1] = kLastDataInColumnChars * char_width;
    for (std::size_t i = 0; i + 2 < kViewColumns; ++i)
        positions[i + 2] =
            (kFirstPointColumnChars + kPointColumnChars * static_cast<int>(i)) * char_width;
    return positions;
}

std::size_t first_column_drawn(std::span<const int> positions, int left_pixels) {
    if (positions.empty())
        return 0;
    const auto at_or_right =
        std::find_if(positions.begin(), positions.end(), [&](int x) { return x >= left_pixels; });
    if (at_or_right == positions.end())
        return positions.size() - 1;
    const auto column = static_cast<std::size_t>(at_or_right - positions.begin());
    return column == 0 ? 0 : column - 1;
}

// ---- Add view entry ---------------------------------------------------------------------

void Views::add_entry(ViewWindow& window, ViewCanvas& canvas, std::wstring_view text, bool received,
                      bool export_row, bool advance, std::size_t point_count) {
    canvas.set_colour(received ? TextColour::Received : TextColour::Sent);
    const ViewRect clip = canvas.clip_box();
    const ViewRect client = window.client_rect();
    // The direct drawing shows the entry at once; the full paint that follows redraws
    // everything in its place.
    window.invalidate(false);
    if (export_row)
        draw_export_row(window, canvas, text, client, clip, point_count);
    else
        draw_debug_line(window, canvas, text, client, clip);
    // The range grows with the buffer here too, so that a burst of entries before the next
    // paint still leaves the newest records in view.
    ScrollBarUpdate to_newest;
    to_newest.max = static_cast<int>(buffer_.size());
    to_newest.position = *to_newest.max;
    window.set_scroll_bar(ScrollBar::Vertical, to_newest, true);
    keep_newest(text, received, export_row, advance);
}

void Views::draw_debug_line(ViewWindow& window, ViewCanvas& canvas, std::wstring_view text,
                            const ViewRect& client, const ViewRect& clip) {
    const int lh = metrics_.line_height;
    const ScrollBarState bar = window.scroll_bar(ScrollBar::Horizontal);
    longest_line_ = std::max({longest_line_, static_cast<int>(text.size()), bar.max});
    if (next_line_offset_ > client.bottom) {
        window.scroll(0, -lh, std::nullopt, clip);
        next_line_offset_ -= lh;
    }
    canvas.draw_text(0, next_line_offset_ + kDebugFirstRowLines * lh, text);
}

void Views::draw_export_row(ViewWindow& window, ViewCanvas& canvas, std::wstring_view text,
                            const ViewRect& client, const ViewRect& clip, std::size_t point_count) {
    const int lh = metrics_.line_height;
    const int header = kExportFirstRowLines * lh;
    if ((kExportFirstRowLines + 1) * lh + next_line_offset_ > client.bottom) {
        window.scroll(0, -lh, client.moved_down(header), clip.moved_down(header));
        next_line_offset_ -= lh;
    }
    const int top = client.top + header + next_line_offset_;
    const ViewRect cell{0, top, client.right, top + canvas.text_height(text)};
    const std::size_t last = std::min(point_count + 1, kViewColumns - 1);
    const int shift = horizontal_position_ * metrics_.char_width;
    const std::span<const int> columns(column_positions_.data(), last + 1);
    PollSnapshot* newest = buffer_.newest();
    for (std::size_t column = first_column_drawn(columns, shift); column <= last; ++column) {
        const int x = column_positions_[column] - shift;
        // Columns right of the window would be clipped whole.
        if (x >= client.right)
            break;
        const std::wstring shown = newest ? column_text(*newest, column) : std::wstring();
        canvas.draw_text(x, top, shown, ViewRect{x, cell.top, cell.right, cell.bottom});
    }
}

void Views::keep_newest(std::wstring_view text, bool received, bool export_row, bool advance) {
    PollSnapshot& newest = buffer_.ensure_current();
    newest.colour = received ? 1 : 0;
    if (!export_row)
        newest.values[2] = std::wstring(text);
    if (!advance)
        return;
    buffer_.advance(kViewBufferLimit);
    next_line_offset_ += metrics_.line_height;
}

// ---- Reset and resize ---------------------------------------------------------------------

void Views::reset(ViewWindow& window) {
    const ViewRect client = window.client_rect();
    buffer_.free_all();
    const int columns = (client.right - client.left) / metrics_.char_width;
    ScrollBarUpdate empty;
    empty.min = 0;
    empty.max = columns;
    empty.page = columns;
    empty.position = 0;
    window.set_scroll_bar(ScrollBar::Horizontal, empty, false);
    longest_line_ = 0;
    horizontal_position_ = 0;
    window.invalidate(true);
    next_line_offset_ = 0;
}

void Views::adjust_to_size(ViewWindow& window) {
    const ViewRect client = window.client_rect();
    const int lh = metrics_.line_height;
    const int reach = settings_.debug_view
                          ? next_line_offset_
                          : client.top + kExportFirstRowLines * lh + next_line_offset_;
    // Grown taller than the lines reach: the next entry goes back to the row of the record
    // being filled, the newest one.
    if (reach < client.bottom)
        next_line_offset_ = newest_row() * lh;
    window.invalidate(true);
}

// ---- Paint --------------------------------------------------------------------------------

int Views::newest_row() const {
    const std::size_t count = buffer_.size();
    return count == 0 ? 0 : static_cast<int>(count - 1);
}

int Views::first_row_offset() const {
    const int lines = settings_.debug_view ? kDebugFirstRowLines : kExportFirstRowLines;
    return lines * metrics_.line_height;
}

void Views::set_horizontal_range(ViewWindow& window, const ViewRect& client, std::size_t entries) {
    const int cw = metrics_.char_width;
    ScrollBarUpdate range;
    range.min = 0;
    range.page = (client.right - client.left) / cw;
    if (settings_.debug_view) {
        range.max = std::max(window.scroll_bar(ScrollBar::Horizontal).max, longest_line_);
    } else {
        column_positions_ = export_column_positions(cw);
        range.max = (column_positions_[entries + 1] + kLastColumnWidthChars * cw) / cw;
    }
    window.set_scroll_bar(ScrollBar::Horizontal, range, true);
    // The bar keeps its position within the new range; the view follows it.
    horizontal_position_ = window.scroll_bar(ScrollBar::Horizontal).position;
}

void Views::paint(ViewWindow& window, ViewCanvas& canvas, std::span<const std::wstring> entries) {
    const ViewRect client = window.client_rect();
    const int lh = metrics_.line_height;
    const std::size_t shown_entries = std::min(entries.size(), kSnapshotRows);
    const std::span<const std::wstring> heads = entries.first(shown_entries);
    const int first_offset = first_row_offset();
    const int visible = (client.bottom - first_offset) / lh + 1;

    set_horizontal_range(window, client, shown_entries);
    const int count = static_cast<int>(buffer_.size());
    ScrollBarUpdate rows;
    rows.min = 0;
    rows.max = count;
    rows.page = visible;
    window.set_scroll_bar(ScrollBar::Vertical, rows, true);
    const int position = window.scroll_bar(ScrollBar::Vertical).position;
    const int first_record = count <= visible ? 0 : std::min(count - visible, position);

    if (!settings_.debug_view && !heads.empty())
        paint_header(canvas, client, heads);

    std::vector<std::wstring> keys;
    if (!settings_.debug_view) {
        for (const std::wstring& entry : heads)
            keys.push_back(entry_address_key(entry));
    }
    int y = first_offset;
    for (int index = std::max(first_record, 0); y < client.bottom; ++index, y += lh) {
        const PollSnapshot* record = buffer_.at(static_cast<std::size_t>(index));
        if (!record || !has_text(record->values[2]))
            break;
        canvas.set_colour(record->colour ? TextColour::Received : TextColour::Sent);
        const bool drawn = settings_.debug_view
                               ? paint_debug_row(canvas, *record, y)
                               : paint_export_row(canvas, *record, y, client.right, keys);
        if (!drawn)
            break;
    }
}

void Views::paint_header(ViewCanvas& canvas, const ViewRect& client,
                         std::span<const std::wstring> entries) {
    const int lh = metrics_.line_height;
    const int x0 = -horizontal_position_ * metrics_.char_width;
    const int block_y = client.top + kBlockHeaderLine * lh;
    const int tag_y = client.top + kTagHeaderLine * lh;
    const int time_y = client.top + kTimeHeaderLine * lh;
    canvas.set_colour(TextColour::Header);
    canvas.draw_text(x0, block_y, string_text(ids::HeaderBlock));
    canvas.draw_text(x0, tag_y, string_text(ids::HeaderTag));
    canvas.draw_text(x0, time_y, string_text(ids::HeaderTime));
    canvas.draw_text(x0 + column_positions_[1], time_y, string_text(ids::HeaderLastDataIn));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int x = x0 + column_positions_[i + 2];
        if (x >= client.right)
            break;
        const HeaderCells cells = header_cells(entries[i]);
        if (!cells.block.empty())
            canvas.draw_text(x, block_y, cells.block);
        canvas.draw_text(x, tag_y, cells.tag);
    }
}

bool Views::paint_debug_row(ViewCanvas& canvas, const PollSnapshot& record, int y) {
    return canvas.draw_text(-horizontal_position_ * metrics_.char_width, y, *record.values[2]);
}

bool Views::paint_export_row(ViewCanvas& canvas, const PollSnapshot& record, int y, int right,
                             std::span<const std::wstring> keys) {
    const int shift = horizontal_position_ * metrics_.char_width;
    const int bottom = y + metrics_.line_height;
    auto draw_cell = [&](std::size_t column, const std::wstring& text) {
        const int x = column_positions_[column] - shift;
        return x >= right || canvas.draw_text(x, y, text, ViewRect{x, y, right, bottom});
    };
    if (!draw_cell(0, column_text(record, 0)) || !draw_cell(1, column_text(record, 1)))
        return false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // The point's value sits in the column of its address, at its own place or later.
        std::wstring shown;
        for (std::size_t column = i + 2; column < kViewColumns; ++column) {
            if (record.addresses[column] == keys[i]) {
                shown = column_text(record, column);
                break;
            }
        }
        if (!draw_cell(i + 2, shown))
            return false;
    }
    return true;
}

std::wstring Views::column_text(const PollSnapshot& record, std::size_t column) const {
    const auto& value = record.values[column];
    if (!value)
        return {};
    return prepare_value(*value, record.types[column], settings_.sig_dig);
}

// ---- Scrolling ----------------------------------------------------------------------------

void Views::scroll(ViewWindow& window, ScrollBar which, ScrollRequest request, int track_position) {
    const auto move = scroll_move(request, window.scroll_bar(which), track_position, which);
    if (!move)
        return;
    const bool vertical = which == ScrollBar::Vertical;
    if (move->moves_pixels) {
        if (!vertical) {
            window.scroll(-move->step * metrics_.char_width, 0, std::nullopt, std::nullopt);
        } else if (settings_.debug_view) {
            window.scroll(0, -move->step * metrics_.line_height, std::nullopt, std::nullopt);
        } else {
            // The header rows stay where they are.
            const ViewRect rows =
                window.client_rect().moved_down(kExportFirstRowLines * metrics_.line_height);
            window.scroll(0, -move->step * metrics_.line_height, rows, rows);
        }
    }
    ScrollBarUpdate moved;
    moved.position = move->position;
    window.set_scroll_bar(which, moved, true);
    if (vertical)
        window.invalidate(true);
    else
        horizontal_position_ = window.scroll_bar(ScrollBar::Horizontal).position;
    window.update();
}

} // namespace brixtel
