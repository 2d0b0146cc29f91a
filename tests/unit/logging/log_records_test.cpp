#include "logging/log_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

constexpr BlockAddress kA{1, 2, 3, 100};
constexpr BlockAddress kB{1, 2, 3, 101};

LogColumns no_columns() {
    LogColumns c;
    c.date = false;
    c.req_time = false;
    return c;
}

LogColumns every_column(bool with_dates) {
    return {true, true, with_dates, true, with_dates, true, with_dates, true, with_dates};
}

// ---- Header block -----------------------------------------------------------------------------

struct HeaderCase {
    const char* name;
    LogColumns columns;
    std::array<std::wstring, 3> expected;
};

class CsvHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(CsvHeader, LinesFollowTheColumns) {
    const BlockAddress points[] = {kA, kB};
    const std::wstring tags[] = {L"FIC-101", L"TIC-204"};
    EXPECT_EQ(csv_header(GetParam().columns, points, tags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, CsvHeader,
    ::testing::Values(
        HeaderCase{"DateAndRequest",
                   LogColumns{},
                   {L",,1-2-3-100,1-2-3-101", L",,FIC-101,TIC-204", L"Date,Time of Request,"}},
        HeaderCase{"AllOff", no_columns(), {L"1-2-3-100,1-2-3-101", L"FIC-101,TIC-204", L""}},
        HeaderCase{"TimeInAfterEachPoint",
                   LogColumns{true, true, false, false, false, false, false, true, false},
                   {L",,1-2-3-100,[Time In],1-2-3-101,[Time In]", L",,FIC-101,,TIC-204,",
                    L"Date,Time of Request,"}},
        HeaderCase{"EveryLeadingColumn",
                   every_column(false),
                   {L",,,,1-2-3-100,[Time In],1-2-3-101,[Time In]", L",,,,FIC-101,,TIC-204,",
                    L"Date,Time of Request,FirstTime,Last Data In"}},
        HeaderCase{"LastOnly",
                   LogColumns{false, false, false, false, false, true, false, false, false},
                   {L",1-2-3-100,1-2-3-101", L",FIC-101,TIC-204", L"Last Data In"}}),
    [](const auto& info) { return info.param.name; });

TEST(CsvHeaderSources, TagNamesFollowTheirOwnList) {
    // The live header's addresses come from the polled points, its tags from the tag list.
    const BlockAddress points[] = {kA};
    const std::wstring tags[] = {L"FIC-101", L"NO_TAG"};
    const auto lines = csv_header(LogColumns{}, points, tags);
    EXPECT_EQ(lines[0], L",,1-2-3-100");
    EXPECT_EQ(lines[1], L",,FIC-101,NO_TAG");
}

// ---- Rows --------------------------------------------------------------------------------------

CsvRowFields two_points() {
    CsvRowFields f;
    f.request_time = L"10:00:00.000";
    f.first_time = L"10:00:00.100";
    f.first_date = L"3/4/21";
    f.last_time = L"10:00:00.200";
    f.last_date = L"4/4/21";
    f.points = {{L"12.5", L"10:00:00.100", L"3/4/21"}, {L"MISSING", L"", L""}};
    return f;
}

struct RowCase {
    const char* name;
    LogColumns columns;
    std::wstring expected;
};

class CsvRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(CsvRow, FieldsEachEndWithAComma) {
    EXPECT_EQ(csv_row(GetParam().columns, L"5/4/21", two_points()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, CsvRow,
    ::testing::Values(
        RowCase{"AllOff", no_columns(), L"12.5,MISSING,"},
        RowCase{"DateAndRequest", LogColumns{}, L"5/4/21,10:00:00.000,12.5,MISSING,"},
        RowCase{"EveryTime", every_column(false),
                L"5/4/21,10:00:00.000,10:00:00.100,10:00:00.200,12.5,10:00:00.100,MISSING,,"},
        RowCase{"EveryTimeWithItsDate", every_column(true),
                L"5/4/21,5/4/21 10:00:00.000,3/4/21 10:00:00.100,4/4/21 10:00:00.200,"
                L"12.5,3/4/21 10:00:00.100,MISSING, ,"},
        // A date flag without its time column changes nothing.
        RowCase{"DateFlagsAlone",
                LogColumns{false, false, true, false, true, false, true, false, true},
                L"12.5,MISSING,"}),
    [](const auto& info) { return info.param.name; });

TEST(CsvRowFieldsOf, LiveRowTakesTheFirstRowsOfTheSnapshot) {
    PollSnapshot s;
    s.request_time = L"r";
    s.values[0] = L"first";
    s.values[1] = L"last";
    s.dates[0] = L"d0";
    s.dates[1] = L"d1";
    s.values[2] = L"1";
    s.times[2] = L"t1";
    s.dates[2] = L"d2";
    s.values[4] = L"unlisted";
    const CsvRowFields f = live_row_fields(s, 2);
    EXPECT_EQ(f.request_time, L"r");
    EXPECT_EQ(f.first_time, L"first");
    EXPECT_EQ(f.last_date, L"d1");
    ASSERT_EQ(f.points.size(), 2u);
    EXPECT_EQ(f.points[0].value, L"1");
    EXPECT_EQ(f.points[0].time, L"t1");
    EXPECT_FALSE(f.points[1].value); // no answer yet: an empty column
    EXPECT_EQ(live_row_fields(s, 60).points.size(), kSnapshotRows);
}

TEST(CsvRowFieldsOf, PastRowFindsEachColumnByItsAddress) {
    PollSnapshot s;
    s.addresses[2] = L"1-2-3-101";
    s.values[2] = L"7";
    s.times[2] = L"t";
    s.addresses[3] = L"1-2-3-100";
    s.values[3] = L"6";
    const BlockAddress columns[] = {kA, kB, {9, 9, 9, 9}};
    const CsvRowFields f = past_row_fields(s, columns);
    ASSERT_EQ(f.points.size(), 3u);
    EXPECT_EQ(f.points[0].value, L"6");
    EXPECT_EQ(f.points[1].value, L"7");
    EXPECT_EQ(f.points[1].time, L"t");
    EXPECT_FALSE(f.points[2].value);
    EXPECT_EQ(csv_row(no_columns(), L"", f), L"6,7,,");
}

// ---- Debug View lines --------------------------------------------------------------------------

TEST(DebugLogLines, OneLinePerLineOfTheText) {
    struct Case {
        std::wstring text;
        std::vector<std::wstring> pieces;
    };
    const Case cases[] = {
        {L"one line", {L"one line"}},
        {L"00C0FFEE,1 read output 1 02 03 100\nOK REAL\n12.5",
         {L"00C0FFEE,1 read output 1 02 03 100", L"OK REAL", L"12.5"}},
        {L"ends with a feed\n", {L"ends with a feed", L""}},
        {L"", {L""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        std::vector<std::wstring> expected;
        for (const std::wstring& piece : c.pieces)
            expected.push_back(L"3/4/21\t10:00:00.042\t" + piece);
        EXPECT_EQ(debug_log_lines(L"3/4/21", L"10:00:00.042", c.text), expected);
    }
}

// ---- Past data ---------------------------------------------------------------------------------

TEST(PastItems, MostRecentOldestFirst) {
    EXPECT_EQ(past_items(5, std::nullopt), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(past_items(5, 2), (std::vector<std::size_t>{3, 4}));
    EXPECT_EQ(past_items(2, 9), (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(past_items(0, std::nullopt).empty());
    EXPECT_TRUE(past_items(4, 0).empty());
}

} // namespace
} // namespace brixtel
