// The two views over a recording window: what each entry draws where and in which colour,
// what scrolls, how the View buffer is recycled, and the scroll-bar arithmetic.
#include "shell/views.h"
#include "view_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::DrawnText;
using testing::FakeCanvas;
using testing::FakeViewWindow;

std::string narrow_for_test(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

constexpr int kCw = 8;
constexpr int kLh = 16;

class ViewsTest : public ::testing::Test {
  protected:
    ViewsTest() { views.set_metrics({kCw, kLh}); }

    void debug_line(const std::wstring& text, bool received = false) {
        buffer.ensure_current();
        views.add_entry(text, received, false, true);
    }
    // A finished poll cycle: times and one value per point, addressed as the cycle does.
    void export_row(const std::vector<std::pair<std::wstring, std::wstring>>& cells,
                    std::uint16_t type = 1) {
        PollSnapshot& row = buffer.ensure_current();
        row.values[0] = L"10:00:00.000";
        row.values[1] = L"10:00:00.250";
        for (std::size_t i = 0; i < cells.size(); ++i) {
            row.addresses[i + 2] = cells[i].first;
            row.values[i + 2] = cells[i].second;
            row.types[i + 2] = type;
        }
        views.add_entry(L"X", true, true, true);
    }
    // The texts a flush draws; fills of the background alone are left out.
    void flush() {
        canvas.drawn.clear();
        views.flush(window, canvas);
        std::erase_if(canvas.drawn, [](const DrawnText& d) { return d.text.empty(); });
    }
    void paint(const std::vector<std::wstring>& entries = {},
               std::optional<ViewRect> update = std::nullopt) {
        canvas.drawn.clear();
        views.paint(window, canvas, entries, update);
    }
    int visible_rows(int first_row_lines) const {
        return (window.client.bottom - first_row_lines * kLh) / kLh + 1;
    }

    Settings settings;
    SnapshotList buffer;
    Views views{buffer, settings};
    FakeViewWindow window;
    FakeCanvas canvas;
};

const std::vector<std::wstring> kTwoEntries = {
    L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\plant.dbf",
    L"Module 1,2,3 Block 200 -- TIC-200 -- C:\\plant.dbf",
};

// ---- Debug View ----------------------------------------------------------------------------

TEST_F(ViewsTest, DebugLinesGoDownInTheirColoursAndKeepTheirText) {
    settings.debug_view = true;
    paint();
    debug_line(L"request one");
    debug_line(L"answer one", true);
    EXPECT_TRUE(canvas.drawn.empty()) << "the screen follows at the flush";
    EXPECT_TRUE(views.flush_pending());
    flush();
    ASSERT_EQ(canvas.drawn.size(), 2u);
    EXPECT_EQ(canvas.drawn[0].y, 2 * kLh);
    EXPECT_EQ(canvas.drawn[0].colour, TextColour::Sent);
    EXPECT_EQ(canvas.drawn[1].y, 3 * kLh);
    EXPECT_EQ(canvas.drawn[1].colour, TextColour::Received);
    ASSERT_TRUE(canvas.drawn[1].fill);
    EXPECT_EQ(canvas.drawn[1].fill->right, window.client.right) << "the row is filled to the edge";
    EXPECT_EQ(buffer.size(), 3u) << "two lines and the fresh record after them";
    EXPECT_EQ(*buffer.at(1)->values[2], L"answer one");
    EXPECT_TRUE(window.scrolls.empty());
    EXPECT_EQ(window.invalidations, 0);
    ASSERT_EQ(window.validated.size(), 1u) << "what the flush drew needs no paint";
    EXPECT_EQ(window.validated[0].top, 2 * kLh);
    EXPECT_EQ(window.validated[0].bottom, window.client.bottom);

    paint();
    EXPECT_EQ(canvas.row(2 * kLh), std::vector<std::wstring>{L"request one"});
    EXPECT_EQ(canvas.find(L"answer one")->y, 3 * kLh) << "the paint draws them where they are";
}

TEST_F(ViewsTest, NewLinesMoveTheShownOnesUpOnceAFlush) {
    settings.debug_view = true;
    paint();
    // The record being filled takes the last row.
    const int fit = visible_rows(2) - 1;
    for (int i = 0; i < fit; ++i)
        debug_line(L"line " + std::to_wstring(i));
    flush();
    EXPECT_TRUE(window.scrolls.empty()) << "the window was not full yet";
    // A burst of five lines: the rows move up by five lines at once and five are drawn.
    for (int i = 0; i < 5; ++i)
        debug_line(L"burst " + std::to_wstring(i));
    flush();
    ASSERT_EQ(window.scrolls.size(), 1u);
    EXPECT_EQ(window.scrolls[0].dy, -5 * kLh);
    ASSERT_TRUE(window.scrolls[0].area);
    EXPECT_EQ(window.scrolls[0].area->top, 2 * kLh);
    std::vector<std::wstring> drawn;
    for (const DrawnText& d : canvas.drawn)
        drawn.push_back(d.text);
    EXPECT_EQ(drawn.size(), 5u);
    EXPECT_EQ(drawn.back(), L"burst 4");
    // Exactly where a paint puts them.
    const std::vector<DrawnText> flushed = canvas.drawn;
    paint();
    for (const DrawnText& d : flushed) {
        ASSERT_TRUE(canvas.find(d.text)) << narrow_for_test(d.text);
        EXPECT_EQ(canvas.find(d.text)->y, d.y);
    }
    EXPECT_EQ(window.bar(ScrollBar::Vertical).max, static_cast<int>(buffer.size()));
}

TEST_F(ViewsTest, MoreNewLinesThanFitAreDrawnWithoutMovingAnything) {
    settings.debug_view = true;
    paint();
    const int visible = visible_rows(2);
    for (int i = 0; i < 3 * visible; ++i)
        debug_line(L"line " + std::to_wstring(i));
    flush();
    EXPECT_TRUE(window.scrolls.empty());
    EXPECT_EQ(window.invalidations, 0) << "no paint needed";
    EXPECT_EQ(static_cast<int>(canvas.drawn.size()), visible - 1);
    EXPECT_EQ(canvas.drawn.back().text, L"line " + std::to_wstring(3 * visible - 1));
    EXPECT_EQ(canvas.drawn.front().y, 2 * kLh);
}

TEST_F(ViewsTest, PaintShowsTheNewestLinesThatFit) {
    settings.debug_view = true;
    for (int i = 0; i < 100; ++i)
        debug_line(L"line " + std::to_wstring(i));
    views.flush(window, canvas);
    paint();
    const int visible = visible_rows(2);
    ASSERT_EQ(window.bar(ScrollBar::Vertical).max, 101);
    EXPECT_EQ(window.bar(ScrollBar::Vertical).page, visible);
    // The last slot of the window is the record still being filled.
    EXPECT_TRUE(canvas.find(L"line 99"));
    EXPECT_FALSE(canvas.find(L"line " + std::to_wstring(100 - visible)));
    EXPECT_TRUE(canvas.find(L"line " + std::to_wstring(101 - visible)));
}

TEST_F(ViewsTest, APaintOfAStripDrawsOnlyItsRows) {
    settings.debug_view = true;
    for (int i = 0; i < 10; ++i)
        debug_line(L"line " + std::to_wstring(i));
    paint({}, ViewRect{0, 5 * kLh, 640, 7 * kLh});
    std::vector<int> rows;
    for (const DrawnText& d : canvas.drawn)
        rows.push_back(d.y);
    EXPECT_EQ(rows, (std::vector<int>{5 * kLh, 6 * kLh}));
}

TEST_F(ViewsTest, TheTenThousandAndFirstLineReusesTheOldest) {
    settings.debug_view = true;
    for (int i = 0; i < 10001; ++i)
        debug_line(L"line " + std::to_wstring(i));
    EXPECT_EQ(buffer.size(), kViewBufferLimit);
    EXPECT_EQ(buffer.records_made(), kViewBufferLimit) << "no record allocated once full";
    EXPECT_EQ(*buffer.at(0)->values[2], L"line 2");
    EXPECT_EQ(*buffer.at(kViewBufferLimit - 2)->values[2], L"line 10000");
    EXPECT_FALSE(buffer.newest()->values[2]) << "the reused record starts empty";
}

TEST_F(ViewsTest, HorizontalScrollShiftsTheLines) {
    settings.debug_view = true;
    paint();
    debug_line(std::wstring(200, L'x'));
    flush();
    EXPECT_EQ(window.bar(ScrollBar::Horizontal).max, 200) << "a long line widens the range";
    views.scroll(window, ScrollBar::Horizontal, ScrollRequest::LineDown, 0);
    views.scroll(window, ScrollBar::Horizontal, ScrollRequest::LineDown, 0);
    ASSERT_EQ(window.scrolls.size(), 2u);
    EXPECT_EQ(window.scrolls[0].dx, -kCw);
    paint();
    EXPECT_EQ(canvas.drawn[0].x, -2 * kCw);
    debug_line(L"new");
    flush();
    EXPECT_EQ(canvas.find(L"new")->x, -2 * kCw);
}

// ---- Export View ---------------------------------------------------------------------------

TEST_F(ViewsTest, ExportHeaderNamesEachColumnAndRowsShowValuesByAddress) {
    export_row({{L"1-2-3-100", L"12.5"}, {L"1-2-3-200", L"MISSING"}});
    paint(kTwoEntries);
    const int x1 = 36 * kCw, x2 = (36 + 21) * kCw;
    EXPECT_EQ(canvas.row(2 * kLh),
              (std::vector<std::wstring>{L"Block", L"1-2-3-100", L"1-2-3-200"}));
    EXPECT_EQ(canvas.row(3 * kLh), (std::vector<std::wstring>{L"Tag", L"FIC-101", L"TIC-200"}));
    EXPECT_EQ(canvas.row(4 * kLh), (std::vector<std::wstring>{L"Time", L"Last Data In"}));
    EXPECT_EQ(canvas.find(L"Last Data In")->x, 18 * kCw);
    EXPECT_EQ(canvas.find(L"FIC-101")->x, x1);
    EXPECT_EQ(canvas.find(L"Block")->colour, TextColour::Header);

    const std::vector<std::wstring> row = canvas.row(6 * kLh);
    EXPECT_EQ(row,
              (std::vector<std::wstring>{L"10:00:00.000", L"10:00:00.250", L"12.5", L"MISSING"}));
    const DrawnText* missing = canvas.find(L"MISSING");
    EXPECT_EQ(missing->x, x2);
    EXPECT_EQ(missing->colour, TextColour::Received);
    ASSERT_TRUE(missing->fill);
    EXPECT_EQ(missing->fill->right, window.client.right) << "cells are opaque to the right edge";
}

TEST_F(ViewsTest, ExportCellsFindTheirAddressFurtherRightAndStayEmptyWithoutIt) {
    // The first point's value sits one column to the right of its own place.
    PollSnapshot& row = buffer.ensure_current();
    row.values[0] = L"t0";
    row.values[1] = L"t1";
    row.values[2] = L"stale";
    row.addresses[2] = L"9-9-9-9";
    row.values[3] = L"7.0";
    row.addresses[3] = L"1-2-3-100";
    views.add_entry(L"X", true, true, true);
    paint(kTwoEntries);
    EXPECT_EQ(canvas.find(L"7.0")->x, 36 * kCw) << "shown under its own header";
    EXPECT_FALSE(canvas.find(L"stale"));
    EXPECT_EQ(canvas.row(6 * kLh).back(), L"") << "the second point has no value in this row";
}

TEST_F(ViewsTest, ExportRowsApplySignificantDigits) {
    settings.sig_dig = 3;
    export_row({{L"1-2-3-100", L"1234.5"}, {L"1-2-3-200", L"0.001234"}});
    paint(kTwoEntries);
    EXPECT_TRUE(canvas.find(L"1.23E+03"));
    EXPECT_TRUE(canvas.find(L"1.23E-03"));
}

TEST_F(ViewsTest, TheCurrentRowIsRedrawnInPlaceAsItFills) {
    paint(kTwoEntries);
    export_row({{L"1-2-3-100", L"1"}, {L"1-2-3-200", L"2"}});
    flush();
    PollSnapshot& current = buffer.ensure_current();
    current.values[0] = L"t0";
    current.values[1] = L"t1";
    current.values[2] = L"3";
    current.addresses[2] = L"1-2-3-100";
    views.add_entry(L"X", true, true, false);
    current.values[3] = L"4";
    current.addresses[3] = L"1-2-3-200";
    views.add_entry(L"X", true, true, false);
    flush();
    EXPECT_EQ(canvas.row(7 * kLh), (std::vector<std::wstring>{L"t0", L"t1", L"3", L"4"}))
        << "one redraw with both values";
    EXPECT_TRUE(canvas.row(6 * kLh).empty()) << "the finished row stays as drawn";
    EXPECT_TRUE(window.scrolls.empty());
}

TEST_F(ViewsTest, ExportRowsScrollOnlyBelowTheHeader) {
    paint(kTwoEntries);
    const int fit = visible_rows(6) - 1;
    for (int i = 0; i < fit; ++i)
        export_row({{L"1-2-3-100", std::to_wstring(i)}});
    flush();
    EXPECT_TRUE(window.scrolls.empty());
    export_row({{L"1-2-3-100", L"next"}});
    flush();
    ASSERT_EQ(window.scrolls.size(), 1u);
    const auto& scrolled = window.scrolls[0];
    EXPECT_EQ(scrolled.dy, -kLh);
    ASSERT_TRUE(scrolled.area && scrolled.clip);
    EXPECT_EQ(scrolled.area->top, 6 * kLh);
    EXPECT_EQ(scrolled.clip->top, 6 * kLh);

    window.scrolls.clear();
    views.scroll(window, ScrollBar::Vertical, ScrollRequest::LineUp, 0);
    ASSERT_EQ(window.scrolls.size(), 1u);
    EXPECT_EQ(window.scrolls[0].dy, kLh);
    EXPECT_EQ(window.scrolls[0].area->top, 6 * kLh) << "scrolling back keeps the header too";
}

TEST_F(ViewsTest, ARowStartsWithThePartlyHiddenColumn) {
    window.client.right = 30 * kCw;
    export_row({{L"1-2-3-100", L"1"}, {L"1-2-3-200", L"2"}});
    flush();
    paint(kTwoEntries);
    // 41 characters in: column 2 starts at 36, column 3 at 57.
    views.scroll(window, ScrollBar::Horizontal, ScrollRequest::ThumbTrack, 41);
    ASSERT_EQ(views.horizontal_position(), 41);
    export_row({{L"1-2-3-100", L"3"}, {L"1-2-3-200", L"4"}});
    flush();
    ASSERT_FALSE(canvas.drawn.empty());
    EXPECT_EQ(canvas.drawn.front().text, L"3");
    EXPECT_EQ(canvas.drawn.front().x, (36 - 41) * kCw);
}

TEST_F(ViewsTest, AfterAResizeOrAJumpTheNextEntriesAreLeftToAPaint) {
    settings.debug_view = true;
    paint();
    debug_line(L"a");
    flush();
    window.client.bottom = 200;
    views.adjust_to_size(window);
    const int erased = window.erasing_invalidations;
    debug_line(L"b");
    flush();
    EXPECT_TRUE(canvas.drawn.empty()) << "where the rows are is the paint's to say";
    EXPECT_EQ(window.erasing_invalidations, erased + 1);
    paint();
    EXPECT_EQ(canvas.find(L"b")->y, 3 * kLh);
}

TEST_F(ViewsTest, ResetEmptiesTheBufferAndTheScrollState) {
    settings.debug_view = true;
    debug_line(std::wstring(300, L'y'));
    paint();
    views.scroll(window, ScrollBar::Horizontal, ScrollRequest::PageDown, 0);
    views.reset(window);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_FALSE(views.flush_pending());
    EXPECT_EQ(views.longest_line(), 0);
    EXPECT_EQ(views.horizontal_position(), 0);
    EXPECT_EQ(window.bar(ScrollBar::Horizontal).max, 640 / kCw);
    EXPECT_EQ(window.bar(ScrollBar::Horizontal).position, 0);
}

TEST_F(ViewsTest, PaintStopsAtTheFirstFailedDraw) {
    settings.debug_view = true;
    for (int i = 0; i < 5; ++i)
        debug_line(L"line " + std::to_wstring(i));
    canvas.fail_after = 2;
    paint();
    EXPECT_EQ(canvas.drawn.size(), 2u);
}

// ---- Scroll arithmetic ---------------------------------------------------------------------

TEST(ScrollMove, StepsFollowTheRequestAndStopAtTheEnd) {
    struct Case {
        ScrollRequest request;
        ScrollBarState bar; // min, max, page, position
        int track;
        ScrollBar which;
        std::optional<ScrollMove> expected;
    };
    const ScrollBar V = ScrollBar::Vertical, H = ScrollBar::Horizontal;
    const Case cases[] = {
        {ScrollRequest::LineDown, {0, 100, 10, 5}, 0, V, ScrollMove{1, 6, true}},
        {ScrollRequest::LineUp, {0, 100, 10, 5}, 0, V, ScrollMove{-1, 4, true}},
        {ScrollRequest::LineUp, {0, 100, 10, 0}, 0, V, std::nullopt},
        {ScrollRequest::PageUp, {0, 100, 10, 4}, 0, V, ScrollMove{-4, 0, true}},
        {ScrollRequest::PageUp, {0, 100, 10, 40}, 0, V, ScrollMove{-10, 30, true}},
        {ScrollRequest::PageDown, {0, 100, 10, 40}, 0, V, ScrollMove{10, 50, true}},
        // Near the end a page moves only what is left.
        {ScrollRequest::PageDown, {0, 100, 10, 88}, 0, V, ScrollMove{3, 91, true}},
        {ScrollRequest::PageDown, {0, 100, 10, 91}, 0, V, std::nullopt},
        {ScrollRequest::ThumbTrack, {0, 100, 10, 40}, 25, V, ScrollMove{-15, 25, true}},
        {ScrollRequest::ThumbPosition, {0, 100, 10, 40}, 25, V, std::nullopt},
        {ScrollRequest::Top, {0, 100, 10, 40}, 0, V, ScrollMove{-40, 0, true}},
        {ScrollRequest::Top, {0, 100, 10, 40}, 0, H, std::nullopt},
        // Bottom asks for one past the end: the bar goes to the end, the pixels stay.
        {ScrollRequest::Bottom, {0, 100, 10, 40}, 0, V, ScrollMove{61, 91, false}},
        {ScrollRequest::LineDown, {0, 100, 10, 91}, 0, V, ScrollMove{1, 91, false}},
        // A step larger than the whole range is cut to it.
        {ScrollRequest::ThumbTrack, {0, 20, 10, 0}, 500, H, ScrollMove{11, 11, true}},
        {ScrollRequest::Other, {0, 100, 10, 40}, 0, V, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto move = scroll_move(c.request, c.bar, c.track, c.which);
        ASSERT_EQ(move.has_value(), c.expected.has_value()) << static_cast<int>(c.request);
        if (!move)
            continue;
        EXPECT_EQ(move->step, c.expected->step) << static_cast<int>(c.request);
        EXPECT_EQ(move->position, c.expected->position) << static_cast<int>(c.request);
        EXPECT_EQ(move->moves_pixels, c.expected->moves_pixels) << static_cast<int>(c.request);
    }
}

TEST(ExportColumns, ThePartlyHiddenColumnIsDrawnFirst) {
    const auto positions = export_column_positions(kCw);
    EXPECT_EQ(positions[0], 0);
    EXPECT_EQ(positions[1], 18 * kCw);
    EXPECT_EQ(positions[2], 36 * kCw);
    EXPECT_EQ(positions[4], (36 + 2 * 21) * kCw);
    const std::span<const int> four(positions.data(), 4);
    const struct {
        int left_chars;
        std::size_t first;
    } cases[] = {
        {0, 0},  {1, 0},  {18, 0}, // column 1 starts exactly at the edge: column 0 shows too
        {19, 1}, {36, 1}, {40, 2}, {57, 2}, {58, 3}, {500, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(first_column_drawn(four, c.left_chars * kCw), c.first) << c.left_chars;
}

} // namespace
} // namespace brixtel
