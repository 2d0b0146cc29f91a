#include "core/point_table.h"

#include <gtest/gtest.h>
#include <set>

namespace brixtel {
namespace {

constexpr BlockAddress kA{1, 2, 3, 100};
constexpr BlockAddress kB{1, 2, 3, 101};

class PointTableTest : public testing::Test {
  protected:
    // Declared before the table, which releases its remaining handles when destroyed.
    std::vector<DdeHandle> released;
    int header_marks = 0;
    PointTable table{[this](DdeHandle h) { released.push_back(h); }, [this] { ++header_marks; }};

    MonitoredPoint& listed(const BlockAddress& a) { return table.create(a, {}, false, true); }
    MonitoredPoint& dde_point(const BlockAddress& a, DdeHandle item, DdeHandle topic) {
        return table.create(a, {item, topic, true, 77}, true, false);
    }
    std::vector<BlockAddress> addresses() const {
        std::vector<BlockAddress> out;
        for (const auto& p : table)
            out.push_back(p.address);
        return out;
    }
};

TEST_F(PointTableTest, NoDdeSwitchStoresZeroDdeFields) {
    const MonitoredPoint& p = table.create(kA, {5, 6, true, 7}, false, true);
    EXPECT_EQ(p.dde.item, 0u);
    EXPECT_EQ(p.dde.topic, 0u);
    EXPECT_FALSE(p.dde.request_waiting);
    EXPECT_EQ(p.dde.conversation, 0u);
    const MonitoredPoint& q = dde_point(kA, 5, 6);
    EXPECT_EQ(q.dde.item, 5u);
    EXPECT_TRUE(q.dde.request_waiting);
    EXPECT_EQ(q.dde.conversation, 77u);
    EXPECT_TRUE(q.dde_only);
}

TEST_F(PointTableTest, RowsSkipDdeOnlyPointsAndSharedAddressesGetOwnRows) {
    MonitoredPoint& first = listed(kA);
    MonitoredPoint& dde = dde_point(kA, 1, 2);
    MonitoredPoint& second = listed(kA);
    EXPECT_EQ(table.row_of(first), 1u);
    EXPECT_EQ(table.row_of(dde), std::nullopt);
    EXPECT_EQ(table.row_of(second), 2u);
    EXPECT_EQ(table.listed_count(), 2u);
    EXPECT_EQ(table.listed_points(), (std::vector<MonitoredPoint*>{&first, &second}));
    EXPECT_EQ(table.find_by_address(kA), (std::vector<MonitoredPoint*>{&first, &dde, &second}));
    EXPECT_TRUE(table.find_by_address(kB).empty());
}

TEST_F(PointTableTest, RemovingReleasesDdeHandlesAndRenumbersRows) {
    MonitoredPoint& first = listed(kA);
    MonitoredPoint& dde = dde_point(kB, 11, 12);
    MonitoredPoint& last = listed(kB);
    table.remove(first, false);
    EXPECT_EQ(table.row_of(last), 1u);
    EXPECT_TRUE(released.empty()); // a listed point has no handles
    EXPECT_EQ(header_marks, 0);
    table.remove(dde, true);
    EXPECT_EQ(released, (std::vector<DdeHandle>{11, 12}));
    EXPECT_EQ(header_marks, 1);
    EXPECT_EQ(addresses(), (std::vector<BlockAddress>{kB}));
}

TEST_F(PointTableTest, MonitoringOffKeepsDdeOnlyPoints) {
    listed(kA);
    dde_point(kA, 1, 2);
    listed(kB);
    table.remove_listed(true);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_TRUE(table.begin()->dde_only);
    EXPECT_EQ(header_marks, 1);
    table.remove_all(false);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(released, (std::vector<DdeHandle>{1, 2}));
}

TEST_F(PointTableTest, RequestIdentifiersAreNeverReused) {
    std::set<std::uint32_t> seen;
    for (int round = 0; round < 20; ++round) {
        MonitoredPoint& p = listed(kA);
        const std::uint32_t id = p.request_id;
        EXPECT_NE(id, 0u);
        EXPECT_TRUE(seen.insert(id).second) << "identifier " << id << " handed out twice";
        EXPECT_EQ(table.find_by_request_id(id), &p);
        table.remove(p, false);
        EXPECT_EQ(table.find_by_request_id(id), nullptr);
    }
    EXPECT_EQ(table.find_by_request_id(0), nullptr);
}

TEST(PointTableOwner, DestroyingTheTableReleasesHandles) {
    std::vector<DdeHandle> released;
    {
        PointTable table{[&](DdeHandle h) { released.push_back(h); }};
        table.create(kA, {3, 4, false, 0}, true, false);
    }
    EXPECT_EQ(released, (std::vector<DdeHandle>{3, 4}));
}

} // namespace
} // namespace brixtel
