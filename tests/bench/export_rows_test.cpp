// Counting Export View rows from painted pages: which texts are rows, which rows are
// complete, and that overlapping pages count each row once.
#include "tests/bench/export_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel::bench {
namespace {

constexpr int kLine = 16;
constexpr int kBlockY = 2 * kLine;
constexpr int kFirstRowY = kBlockY + 4 * kLine;
constexpr std::size_t kPoints = 3;

// The header as the view paints it: "Block", "Tag", "Time" rows with the points' cells.
std::vector<PaintedText> header() {
    return {{L"Block", 0, kBlockY},
            {L"1-2-5-1", 288, kBlockY},
            {L"1-2-5-2", 456, kBlockY},
            {L"1-2-5-3", 624, kBlockY},
            {L"Tag", 0, kBlockY + kLine},
            {L"NO_TAG", 288, kBlockY + kLine},
            {L"Time", 0, kBlockY + 2 * kLine},
            {L"Last Data In", 144, kBlockY + 2 * kLine}};
}

std::wstring time_at(int cycle) {
    wchar_t text[16];
    swprintf(text, 16, L"10:00:%02d.%03d", cycle / 100, cycle % 100 * 10);
    return text;
}

// A data row on line `line` below the header: the cycle's two times, then `cells`.
void add_row(std::vector<PaintedText>& page, int line, int cycle,
             const std::vector<std::wstring>& cells) {
    const int y = kFirstRowY + line * kLine;
    page.push_back({time_at(cycle), 0, y});
    page.push_back({time_at(cycle + 1), 144, y});
    for (std::size_t i = 0; i < cells.size(); ++i)
        page.push_back({cells[i], 288 + 168 * static_cast<int>(i), y});
}

std::vector<PaintedText> page_of(int first_cycle,
                                 const std::vector<std::vector<std::wstring>>& rows) {
    auto page = header();
    for (std::size_t r = 0; r < rows.size(); ++r)
        add_row(page, static_cast<int>(r), first_cycle + 2 * static_cast<int>(r), rows[r]);
    return page;
}

struct RowCase {
    const char* name;
    std::vector<std::wstring> cells;
    bool complete;
};

TEST(ExportRowTally, ARowIsCompleteOnlyWhenEveryPointHasAValue) {
    const RowCase cases[] = {
        {"every value", {L"12.5", L"50.00", L"Pump"}, true},
        {"one missing", {L"12.5", L"MISSING", L"Pump"}, false},
        {"all missing", {L"MISSING", L"MISSING", L"MISSING"}, false},
        {"a cell not drawn", {L"12.5", L"50.00"}, false},
        {"an error text is still a value", {L"ERROR_105", L"1", L"2"}, true},
        {"a value that contains MISSING", {L"MISSING X", L"1", L"2"}, true},
    };
    for (const RowCase& row : cases) {
        ExportRowTally tally(kPoints);
        const PageTally page = tally.add_page(page_of(0, {row.cells}));
        EXPECT_TRUE(page.header_found) << row.name;
        EXPECT_EQ(page.rows, 1u) << row.name;
        EXPECT_EQ(tally.rows(), 1u) << row.name;
        EXPECT_EQ(tally.complete_rows(), row.complete ? 1u : 0u) << row.name;
    }
}

TEST(ExportRowTally, WithoutTheHeaderNothingIsCounted) {
    ExportRowTally tally(kPoints);
    auto page = page_of(0, {{L"1", L"2", L"3"}});
    std::erase_if(page, [](const PaintedText& t) { return t.text == L"Tag"; });
    EXPECT_FALSE(tally.add_page(page).header_found);
    EXPECT_EQ(tally.rows(), 0u);
    EXPECT_EQ(tally.complete_share(), 0.0);
}

TEST(ExportRowTally, HeaderRowsAndEmptyFillsAreNoRows) {
    ExportRowTally tally(kPoints);
    auto page = page_of(0, {{L"1", L"2", L"3"}});
    // An opaque fill without text on the first data line and on a line of its own.
    page.push_back({L"", 456, kFirstRowY});
    page.push_back({L"", 0, kFirstRowY + 5 * kLine});
    const PageTally added = tally.add_page(page);
    EXPECT_EQ(added.rows, 1u);
    EXPECT_EQ(tally.complete_rows(), 1u);
}

TEST(ExportRowTally, CellsDrawnInAnyOrderAreReadLeftToRight) {
    ExportRowTally tally(kPoints);
    auto page = header();
    const int y = kFirstRowY;
    page.push_back({L"3", 624, y});
    page.push_back({time_at(1), 144, y});
    page.push_back({L"1", 288, y});
    page.push_back({time_at(0), 0, y});
    page.push_back({L"2", 456, y});
    tally.add_page(page);
    EXPECT_EQ(tally.rows(), 1u);
    EXPECT_EQ(tally.complete_rows(), 1u);
}

TEST(ExportRowTally, OverlappingPagesCountEachRowOnce) {
    ExportRowTally tally(kPoints);
    const std::vector<std::wstring> full = {L"1", L"2", L"3"};
    const std::vector<std::wstring> gap = {L"1", L"MISSING", L"3"};
    // Cycles 0, 2, 4 on the first page; 4, 6 on the second (one row of overlap), then the
    // last page again, as scrolling past the end shows it.
    const PageTally first = tally.add_page(page_of(0, {full, gap, full}));
    const PageTally second = tally.add_page(page_of(4, {full, full}));
    const PageTally again = tally.add_page(page_of(4, {full, full}));
    EXPECT_EQ(first.new_rows, 3u);
    EXPECT_EQ(second.rows, 2u);
    EXPECT_EQ(second.new_rows, 1u);
    EXPECT_EQ(again.new_rows, 0u);
    EXPECT_EQ(tally.rows(), 4u);
    EXPECT_EQ(tally.complete_rows(), 3u);
    EXPECT_DOUBLE_EQ(tally.complete_share(), 0.75);
}

TEST(ExportRowTally, RowsWithoutTimesAreIncompleteAndCountedApart) {
    ExportRowTally tally(kPoints);
    auto page = page_of(0, {{L"1", L"2", L"3"}});
    // A cycle in which nothing answered: no time cells, every point missing.
    const int y = kFirstRowY + kLine;
    for (int i = 0; i < 3; ++i)
        page.push_back({L"MISSING", 288 + 168 * i, y});
    const PageTally added = tally.add_page(page);
    EXPECT_EQ(added.untimed_rows, 1u);
    EXPECT_EQ(tally.rows(), 2u);
    EXPECT_EQ(tally.untimed_rows(), 1u);
    EXPECT_EQ(tally.complete_rows(), 1u);
}

TEST(LooksLikeTime, TellsTimeCellsFromValues) {
    EXPECT_TRUE(looks_like_time(L"10:00:01.250"));
    EXPECT_TRUE(looks_like_time(L"1:00:01.250 PM"));
    EXPECT_FALSE(looks_like_time(L"12.5"));
    EXPECT_FALSE(looks_like_time(L"MISSING"));
    EXPECT_FALSE(looks_like_time(L"10:00:01"));
}

} // namespace
} // namespace brixtel::bench
