#pragma once
// The Debug View and the Export View: two ways of drawing the same View buffer (the records
// of the poll cycle). The Debug View is a scrolling log of lines; the Export View a table
// with one column per point and one row per poll cycle under three header rows that never
// scroll. New lines and rows are drawn at once and the window scrolled by one line; a full
// paint follows whenever the window has time for it.
#include "core/poll_snapshot.h"
#include "settings/settings.h"
#include "shell/view_surface.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// The fixed font's character width and line height.
struct ViewMetrics {
    int char_width = 8;
    int line_height = 16;
};

// Layout in lines and characters.
inline constexpr int kDebugFirstRowLines = 2;  // first Debug View line
inline constexpr int kExportFirstRowLines = 6; // first Export View row, under the header
inline constexpr int kBlockHeaderLine = 2;
inline constexpr int kTagHeaderLine = 3;
inline constexpr int kTimeHeaderLine = 4;
inline constexpr int kLastDataInColumnChars = 18;
inline constexpr int kFirstPointColumnChars = 36;
inline constexpr int kPointColumnChars = 21;
inline constexpr int kLastColumnWidthChars = 19;

inline constexpr std::size_t kViewColumns = kSnapshotSlots;

enum class ScrollRequest {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition,
    Top,
    Bottom,
    Other,
};

// Where a scroll request takes a bar: the new position, and whether the window's pixels
// move (they do not when the request runs past the end). Nothing for a request that asks
// for no step at all.
struct ScrollMove {
    int step = 0;
    int position = 0;
    bool moves_pixels = true;
};
std::optional<ScrollMove> scroll_move(ScrollRequest request, const ScrollBarState& bar,
                                      int track_position, ScrollBar which);

// Pixel x of Export View columns 0 and 1 (times) and then one per point.
std::array<int, kViewColumns> export_column_positions(int char_width);

// The first column worth drawing when the view starts `left_pixels` to the right: the one
// just before the first column at or right of that edge, so that a partly hidden column is
// drawn too; the last column when every column lies left of the edge.
std::size_t first_column_drawn(std::span<const int> positions, int left_pixels);

class Views {
  public:
    Views(SnapshotList& buffer, const Settings& settings) : buffer_(buffer), settings_(settings) {}

    void set_metrics(ViewMetrics metrics) { metrics_ = metrics; }
    const ViewMetrics& metrics() const { return metrics_; }

    // A Debug View line (`export_row` false: `text` is the line) or the current Export View
    // row (`export_row` true: the newest record's texts are the row), green when `received`,
    // else blue. With `advance` the View buffer then moves on to a fresh record. The screen
    // follows at the next flush(); true when this entry is the first one waiting for it.
    bool add_entry(std::wstring_view text, bool received, bool export_row, bool advance);
    // Brings the screen up to the entries added since the last flush: the rows move up by as
    // many lines as the newest records need and the new or changed rows are drawn where a
    // paint would draw them, so no repaint has to follow; the vertical bar goes to the newest.
    void flush(ViewWindow& window, ViewCanvas& canvas);
    // Empties the View buffer and the scroll state, and has the window repainted.
    void reset(ViewWindow& window);
    // After the client area changed size.
    void adjust_to_size(ViewWindow& window);
    // A paint of `update` (the whole client area when empty). `entries` are the tag entry
    // texts of the points with a database, in list order; the Export View heads one column
    // with each.
    void paint(ViewWindow& window, ViewCanvas& canvas, std::span<const std::wstring> entries,
               std::optional<ViewRect> update = std::nullopt);
    void scroll(ViewWindow& window, ScrollBar which, ScrollRequest request, int track_position);

    // Start-up clears the Export View's column positions.
    void clear_column_positions() { column_positions_.fill(0); }

    int horizontal_position() const { return horizontal_position_; }
    int longest_line() const { return longest_line_; }
    const std::array<int, kViewColumns>& column_positions() const { return column_positions_; }
    bool flush_pending() const { return pending_; }

  private:
    // Where the rows are: the first record shown, the top of the first row, how many fit.
    struct RowLayout {
        std::size_t first = 0;
        int top = 0;
        int visible = 0;
    };
    RowLayout layout(const ViewRect& client, int bar_position) const;
    int first_row_offset() const;
    void set_horizontal_range(ViewWindow& window, const ViewRect& client, std::size_t entries);
    void keep_newest_in_view(ViewWindow& window, int visible);
    void paint_header(ViewCanvas& canvas, const ViewRect& client,
                      std::span<const std::wstring> entries);
    // Draws records first ... last - 1 from row top `top`, up to `bottom`, and stops at a
    // record that has no line or row yet; the y below the last row drawn, or -1 when a draw
    // failed.
    int draw_rows(ViewCanvas& canvas, std::size_t first, std::size_t last, int top, int bottom,
                  int right);
    bool draw_row(ViewCanvas& canvas, const PollSnapshot& record, int y, int right);
    bool draw_export_row(ViewCanvas& canvas, const PollSnapshot& record, int y, int right);
    std::wstring column_text(const PollSnapshot& record, std::size_t column) const;

    SnapshotList& buffer_;
    const Settings& settings_;
    ViewMetrics metrics_;
    int horizontal_position_ = 0;
    int longest_line_ = 0;
    std::array<int, kViewColumns> column_positions_{};
    // The address keys of the Export View's columns, as the last paint headed them.
    std::vector<std::wstring> keys_;
    // What the screen shows: the first record in view, or nothing when a paint must decide.
    std::optional<std::size_t> shown_first_;
    bool pending_ = false;           // entries wait for flush()
    std::size_t advances_since_ = 0; // records the waiting entries moved on by
};

} // namespace brixtel
