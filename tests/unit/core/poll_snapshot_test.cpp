#include "core/poll_snapshot.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

void fill(PollSnapshot& s) {
    for (std::size_t i = 0; i < kSnapshotSlots; ++i) {
        s.values[i] = L"v" + std::to_wstring(i);
        s.addresses[i] = L"Module 1,2,5 Block 1";
        s.times[i] = L"12:00:00.000";
        s.dates[i] = L"1/2/2024";
        s.types[i] = 1;
    }
    s.colour = 1;
    s.cycle_date = L"1/2/2024";
    s.request_time = L"12:00:00.000";
}

// A reused record gives its texts' storage back: one that kept it would make the full ring
// grow for as long as any slot meets a longer text than it held before.
TEST(SnapshotList, RecyclingMovesOldestToNewestClearedButKeepsTypes) {
    SnapshotList list;
    PollSnapshot& oldest = list.allocate();
    PollSnapshot& second = list.allocate();
    fill(oldest);
    PollSnapshot* recycled = list.recycle_oldest();
    ASSERT_EQ(recycled, &oldest);
    EXPECT_EQ(list.at(0), &second);
    EXPECT_EQ(list.newest(), &oldest);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.records_made(), 2u);
    const std::size_t unallocated = std::wstring().capacity();
    for (std::size_t i = 0; i < kSnapshotSlots; ++i) {
        EXPECT_FALSE(recycled->values[i]);
        for (const auto* slots : {&recycled->addresses, &recycled->times, &recycled->dates}) {
            EXPECT_TRUE((*slots)[i].empty());
            EXPECT_EQ((*slots)[i].capacity(), unallocated);
        }
        EXPECT_EQ(recycled->types[i], 1);
    }
    EXPECT_EQ(recycled->colour, 0u);
    for (const std::wstring* text : {&recycled->cycle_date, &recycled->request_time}) {
        EXPECT_TRUE(text->empty());
        EXPECT_EQ(text->capacity(), unallocated);
    }
}

TEST(SnapshotList, EmptyListHasNothingToRecycle) {
    SnapshotList list;
    EXPECT_EQ(list.recycle_oldest(), nullptr);
    EXPECT_EQ(list.newest(), nullptr);
    EXPECT_EQ(list.at(0), nullptr);
}

TEST(SnapshotList, EnsureCurrentAllocatesOnlyTheFirst) {
    SnapshotList list;
    PollSnapshot& first = list.ensure_current();
    EXPECT_EQ(&list.ensure_current(), &first);
    EXPECT_EQ(list.records_made(), 1u);
}

TEST(SnapshotList, FreshRecordOnlyWhenNewestHoldsData) {
    SnapshotList list;
    list.start_fresh_if_used();
    EXPECT_EQ(list.size(), 0u);
    PollSnapshot& s = list.allocate();
    list.start_fresh_if_used();
    EXPECT_EQ(list.size(), 1u);
    s.values[0] = L"12:00:00.000";
    list.start_fresh_if_used();
    EXPECT_EQ(list.size(), 2u);
    list.free_all();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.records_made(), 2u);
}

TEST(SnapshotRows, OnlyRowsOneToFiftyHaveSlots) {
    EXPECT_EQ(slot_of_row(0), std::nullopt);
    EXPECT_EQ(slot_of_row(1), 2u);
    EXPECT_EQ(slot_of_row(50), 51u);
    EXPECT_EQ(slot_of_row(51), std::nullopt);
}

struct Completeness {
    const char* name;
    std::size_t filled_slots; // slots 0 .. filled_slots-1 hold text
    std::size_t listed;
    bool complete;
};

class RowComplete : public testing::TestWithParam<Completeness> {};

TEST_P(RowComplete, NeedsTimesAndEveryRowValue) {
    const auto& c = GetParam();
    PollSnapshot s;
    for (std::size_t i = 0; i < c.filled_slots; ++i)
        s.values[i] = L"x";
    EXPECT_EQ(row_complete(s, c.listed), c.complete);
}

INSTANTIATE_TEST_SUITE_P(Rows, RowComplete,
                         testing::Values(Completeness{"no_points_needs_times", 2, 0, true},
                                         Completeness{"missing_latest_time", 1, 0, false},
                                         Completeness{"three_rows_filled", 5, 3, true},
                                         Completeness{"third_row_missing", 4, 3, false},
                                         Completeness{"fifty_rows", 52, 50, true},
                                         Completeness{"more_than_fifty_listed", 52, 60, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RowComplete, EmptyTextIsNotAValue) {
    PollSnapshot s;
    s.values[0] = L"t";
    s.values[1] = L"t";
    s.values[2] = L"";
    EXPECT_FALSE(row_complete(s, 1));
}

TEST(SnapshotRows, ClearingAfterLastRowKeepsEarlierRows) {
    PollSnapshot s;
    fill(s);
    s.clear_rows_after(2);
    EXPECT_TRUE(s.values[3]);
    EXPECT_EQ(s.types[3], 1);
    EXPECT_FALSE(s.values[4]);
    EXPECT_EQ(s.types[4], 0);
    EXPECT_FALSE(s.values[51]);
    EXPECT_EQ(s.addresses[51], L"Module 1,2,5 Block 1");
}

} // namespace
} // namespace brixtel
