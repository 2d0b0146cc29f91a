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

// ---- New entries --------------------------------------------------------------------------

bool Views::add_entry(std::wstring_view text, bool received, bool export_row, bool advance) {
    PollSnapshot& newest = buffer_.ensure_current();
    newest.colour = received ? 1 : 0;
    if (!export_row) {
        newest.values[2] = std::wstring(text);
        longest_line_ = std::max(longest_line_, static_cast<int>(text.size()));
    }
    if (advance) {
        buffer_.advance(kViewBufferLimit);
        ++advances_since_;
    }
    const bool first = !pending_;
    pending_ = true;
    return first;
}

Views::RowLayout Views::layout(const ViewRect& client, int bar_position) const {
    RowLayout rows;
    rows.top = client.top + first_row_offset();
    rows.visible = (client.bottom - rows.top) / metrics_.line_height + 1;
    const std::size_t count = buffer_.size();
    const auto visible = static_cast<std::size_t>(std::max(rows.visible, 0));
    if (count > visible)
        rows.first = std::min(count - visible, static_cast<std::size_t>(std::max(bar_position, 0)));
    return rows;
}

// The vertical bar spans the buffer and stands at its end, so the newest records are shown.
void Views::keep_newest_in_view(ViewWindow& window, int visible) {
    ScrollBarUpdate to_newest;
    to_newest.min = 0;
    to_newest.max = static_cast<int>(buffer_.size());
    to_newest.page = std::max(visible, 0);
    // The last position the bar takes with its page, asked for as such: a bar that already
    // stands there is left alone.
    to_newest.position = std::max(0, *to_newest.max - std::max(*to_newest.page - 1, 0));
    window.set_scroll_bar(ScrollBar::Vertical, to_newest, true);
}

void Views::flush(ViewWindow& window, ViewCanvas& canvas) {
    if (!pending_)
        return;
    const ViewRect client = window.client_rect();
    const int lh = metrics_.line_height;
    keep_newest_in_view(window, layout(client, 0).visible);
    const RowLayout rows = layout(client, window.scroll_bar(ScrollBar::Vertical).position);
    if (settings_.debug_view && longest_line_ > window.scroll_bar(ScrollBar::Horizontal).max) {
        ScrollBarUpdate longer;
        longer.max = longest_line_;
        window.set_scroll_bar(ScrollBar::Horizontal, longer, true);
    }
    const std::size_t end = std::min(buffer_.size(), rows.first + rows.visible);
    // The records the waiting entries wrote: the newest, and one more per advance.
    const std::size_t touched = std::min(buffer_.size(), advances_since_ + 1);
    std::size_t redraw_from = buffer_.size() - touched;
    const ViewRect area = client.moved_down(rows.top - client.top);
    if (!shown_first_ || rows.first < *shown_first_) {
        // Where the rows stand is the paint's to say.
        window.invalidate(true);
        redraw_from = end;
    } else if (rows.first - *shown_first_ >= static_cast<std::size_t>(rows.visible)) {
        // Nothing shown stays in view: every row is drawn anew, nothing needs moving.
        redraw_from = rows.first;
    } else if (const std::size_t moved = rows.first - *shown_first_; moved > 0) {
        // The rows already shown move up; the ones uncovered below them are drawn anew, with
        // the one the old bottom edge cut.
        window.scroll(0, -static_cast<int>(moved) * lh, area, area);
        redraw_from = std::min(redraw_from, end - std::min(end - rows.first, moved + 1));
    }
    shown_first_ = rows.first;
    pending_ = false;
    advances_since_ = 0;
    if (redraw_from >= end)
        return;
    redraw_from = std::max(redraw_from, rows.first);
    const int top = rows.top + static_cast<int>(redraw_from - rows.first) * lh;
    const int drawn_to = draw_rows(canvas, redraw_from, end, top, client.bottom, client.right);
    if (drawn_to < 0)
        return;
    // Below the last record only the background stands, as a paint leaves it; with that the
    // whole strip is as a paint would make it, and none has to follow.
    if (drawn_to < client.bottom)
        canvas.draw_text(0, drawn_to, L"", ViewRect{0, drawn_to, client.right, client.bottom});
    window.validate(ViewRect{client.left, top, client.right, client.bottom});
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
    shown_first_.reset();
    pending_ = false;
    advances_since_ = 0;
    window.invalidate(true);
}

void Views::adjust_to_size(ViewWindow& window) {
    // The rows that fit change with the height: the next paint places them anew.
    shown_first_.reset();
    window.invalidate(true);
}

// ---- Paint --------------------------------------------------------------------------------

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

void Views::paint(ViewWindow& window, ViewCanvas& canvas, std::span<const std::wstring> entries,
                  std::optional<ViewRect> update) {
    const ViewRect client = window.client_rect();
    const ViewRect area = update.value_or(client);
    const int lh = metrics_.line_height;
    const std::size_t shown_entries = std::min(entries.size(), kSnapshotRows);
    const std::span<const std::wstring> heads = entries.first(shown_entries);

    set_horizontal_range(window, client, shown_entries);
    const RowLayout first_guess = layout(client, 0);
    ScrollBarUpdate rows_range;
    rows_range.min = 0;
    rows_range.max = static_cast<int>(buffer_.size());
    rows_range.page = std::max(first_guess.visible, 0);
    window.set_scroll_bar(ScrollBar::Vertical, rows_range, true);
    const RowLayout rows = layout(client, window.scroll_bar(ScrollBar::Vertical).position);

    keys_.clear();
    if (!settings_.debug_view) {
        for (const std::wstring& entry : heads)
            keys_.push_back(entry_address_key(entry));
        if (!heads.empty() && area.top < rows.top)
            paint_header(canvas, client, heads);
    }
    shown_first_ = rows.first;
    // Only the rows the update reaches are drawn.
    const int skip = std::max(0, (area.top - rows.top) / lh);
    const std::size_t from = rows.first + static_cast<std::size_t>(skip);
    const std::size_t end = std::min(buffer_.size(), rows.first + rows.visible);
    draw_rows(canvas, from, end, rows.top + skip * lh, std::min(area.bottom, client.bottom),
              client.right);
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

int Views::draw_rows(ViewCanvas& canvas, std::size_t first, std::size_t last, int top, int bottom,
                     int right) {
    int y = top;
    for (std::size_t index = first; index < last && y < bottom;
         ++index, y += metrics_.line_height) {
        const PollSnapshot* record = buffer_.at(index);
        if (!record || !has_text(record->values[2]))
            return y;
        canvas.set_colour(record->colour ? TextColour::Received : TextColour::Sent);
        if (!draw_row(canvas, *record, y, right))
            return -1;
    }
    return y;
}

// Each row is filled to the right edge, so it covers whatever stood there before.
bool Views::draw_row(ViewCanvas& canvas, const PollSnapshot& record, int y, int right) {
    if (!settings_.debug_view)
        return draw_export_row(canvas, record, y, right);
    const int x = -horizontal_position_ * metrics_.char_width;
    return canvas.draw_text(x, y, *record.values[2],
                            ViewRect{std::min(x, 0), y, right, y + metrics_.line_height});
}

bool Views::draw_export_row(ViewCanvas& canvas, const PollSnapshot& record, int y, int right) {
    const int shift = horizontal_position_ * metrics_.char_width;
    const int bottom = y + metrics_.line_height;
    auto draw_cell = [&](std::size_t column, const std::wstring& text) {
        const int x = column_positions_[column] - shift;
        return x >= right || canvas.draw_text(x, y, text, ViewRect{x, y, right, bottom});
    };
    // Columns wholly left of the window are left out; a partly hidden one is drawn.
    const std::span<const int> columns(column_positions_.data(), keys_.size() + 2);
    const std::size_t first = first_column_drawn(columns, shift);
    for (std::size_t column = first; column < 2; ++column) {
        if (!draw_cell(column, column_text(record, column)))
            return false;
    }
    for (std::size_t i = first < 2 ? 0 : first - 2; i < keys_.size(); ++i) {
        if (column_positions_[i + 2] - shift >= right)
            break;
        // The point's value sits in the column of its address, at its own place or later.
        std::wstring shown;
        for (std::size_t column = i + 2; column < kViewColumns; ++column) {
            if (record.addresses[column] == keys_[i]) {
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
        } else {
            // The header rows stay where they are.
            const ViewRect rows = window.client_rect().moved_down(first_row_offset());
            window.scroll(0, -move->step * metrics_.line_height, rows, rows);
        }
    }
    ScrollBarUpdate moved;
    moved.position = move->position;
    window.set_scroll_bar(which, moved, true);
    if (vertical) {
        shown_first_.reset();
        window.invalidate(true);
    } else {
        horizontal_position_ = window.scroll_bar(ScrollBar::Horizontal).position;
    }
    window.update();
}

} // namespace brixtel
