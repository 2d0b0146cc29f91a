#include "core/request_routing.h"

#include "cycle_fakes.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

// GCC 12 at -O2 takes the copies of std::optional<std::wstring> inside the test parameters
// for uninitialised reads; they are not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace brixtel {
namespace {

using testing::FakeLoops;
using testing::FakeSeat;
using testing::FakeWindow;

struct EntryShape {
    std::int32_t loop;
    std::int32_t pcu;
    bool link_ok = true;
    const wchar_t* host = L"127.0.0.1";
    bool receiving = true;
};

struct RouteCase {
    const char* name;
    std::vector<EntryShape> entries;
    RequestTarget target;
    int expected_entry; // index into entries; -1: nothing sent
    std::wstring expected_status;
};

class RoutingTest : public ::testing::TestWithParam<RouteCase> {};

TEST_P(RoutingTest, PassesAreTriedInOrder) {
    const RouteCase& c = GetParam();
    FakeLoops loops;
    std::vector<const Connection*> made;
    for (const EntryShape& shape : c.entries) {
        LoopEntry& e = loops.add(shape.loop, shape.pcu, shape.link_ok, shape.host);
        e.receiving = shape.receiving;
        made.push_back(e.connection.get());
    }
    FakeWindow window;
    FakeSeat seat;
    RequestRouter router(loops, window, seat, L"");
    const bool sent = router.send_request(
        c.target,
        [](std::wstring_view suffix) { return std::optional(L"request" + std::wstring(suffix)); },
        0.0f);

    EXPECT_EQ(sent, c.expected_entry >= 0);
    if (c.expected_entry >= 0) {
        ASSERT_EQ(loops.sent.size(), 1u);
        EXPECT_EQ(loops.sent[0].connection, made[c.expected_entry]);
    } else {
        EXPECT_TRUE(loops.sent.empty());
    }
    EXPECT_EQ(seat.status[status_part::kTransmission], c.expected_status);
}

const RequestTarget read7{2, 7, std::nullopt};
const RequestTarget read5{5, 3, std::nullopt};

INSTANTIATE_TEST_SUITE_P(
    Routes, RoutingTest,
    ::testing::Values(
        RouteCase{"LoopEntryForAllPcus", {{2, -1}}, read7, 0, L"Tx Loop 2"},
        RouteCase{"OtherLoopOverAnyLinkedEntry", {{2, -1}}, read5, 0, L"Tx Loop 5 on Loop 2"},
        RouteCase{"OtherLoopWithLinkDown", {{2, -1, false}}, read5, -1, L"NoTx-NoConn"},
        RouteCase{"SameLoopWithLinkDown", {{2, -1, false}}, read7, -1, L"NoTx-NoConn"},
        RouteCase{"ExactPcuBeforeAllPcus", {{1, 0}, {2, -1}, {2, 7}}, read7, 2, L"Tx Loop 2 PCU 7"},
        RouteCase{"PcuZeroServesAll", {{2, 0}}, read7, 0, L"Tx Loop 2"},
        RouteCase{"LoopOneBeforeAnyLoop", {{4, -1}, {1, -1}}, read5, 1, L"Tx Loop 1"},
        RouteCase{"OtherPcuDoesNotServe", {{5, 4}}, read5, -1, L"NoTx-NoConn"},
        RouteCase{"NotReceivingIsSkipped",
                  {{2, 7, true, L"127.0.0.1", false}, {2, -1}},
                  read7,
                  1,
                  L"Tx Loop 2"},
        // With a host the link state does not matter, but the host must match.
        RouteCase{"HostPicksItsEntry",
                  {{2, -1, true, L"127.0.0.2"}, {2, -1, false, L"127.0.0.3"}},
                  {2, -1, L"127.0.0.3"},
                  1,
                  L"Tx Loop 2 PCU -1"},
        RouteCase{"HostNeverTakesAnyLoop",
                  {{4, -1, true, L"127.0.0.3"}},
                  {3, -1, L"127.0.0.3"},
                  -1,
                  L"NoTx-NoConn"},
        RouteCase{"HostOnLoopOne",
                  {{1, -1, false, L"127.0.0.3"}},
                  {3, 2, L"127.0.0.3"},
                  0,
                  L"Tx Loop 1"}),
    [](const auto& info) { return info.param.name; });

struct SuffixCase {
    const char* name;
    bool connstat;
    std::int32_t feature_state;
    bool suffixed;
};

class SuffixTest : public ::testing::TestWithParam<SuffixCase> {};

TEST_P(SuffixTest, UserGoesOnConnstatAndWhereTheServerTakesIt) {
    const SuffixCase& c = GetParam();
    FakeLoops loops;
    LoopEntry& entry = loops.add(3, -1);
    entry.user_name_feature = c.feature_state;
    FakeWindow window;
    FakeSeat seat;
    RequestRouter router(loops, window, seat, L"alice");
    const LoopEndpoint endpoint{3, -1, entry.host, entry.remote_port};
    if (c.connstat)
        ASSERT_TRUE(router.send_connstat_request(endpoint));
    else
        ASSERT_TRUE(router.send_request(
            {3, 4, std::nullopt},
            [&](std::wstring_view suffix) {
                return compose_read_request(window.handle(), 9, {3, 4, 5, 6}, suffix);
            },
            0.0f));
    ASSERT_EQ(loops.sent.size(), 1u);
    const std::wstring& text = loops.sent[0].text;
    EXPECT_EQ(text.ends_with(L" from alice"), c.suffixed) << text;
}

INSTANTIATE_TEST_SUITE_P(States, SuffixTest,
                         ::testing::Values(SuffixCase{"ReadUnknown", false, 0, false},
                                           SuffixCase{"ReadAccepted", false, 1, true},
                                           SuffixCase{"ReadRefused", false, 2, false},
                                           SuffixCase{"ConnstatUnknown", true, 0, true},
                                           SuffixCase{"ConnstatRefused", true, 2, true}),
                         [](const auto& info) { return info.param.name; });

TEST(Routing, FailedSendShowsNoTransmitText) {
    FakeLoops loops;
    loops.add(2, -1);
    loops.send_result = -1;
    FakeWindow window;
    FakeSeat seat;
    RequestRouter router(loops, window, seat, L"");
    EXPECT_FALSE(router.send_request(
        read7, [](std::wstring_view) { return std::optional<std::wstring>(L"x"); }, 0.0f));
    EXPECT_EQ(seat.status.count(status_part::kTransmission), 0u);
}

TEST(Routing, ConnstatAttemptTexts) {
    FakeLoops loops;
    loops.add(2, -1, true, L"127.0.0.1", 5001);
    loops.add(3, 4, true, L"127.0.0.1", 5002);
    FakeWindow window;
    FakeSeat seat;
    RequestRouter router(loops, window, seat, L"");
    router.send_connstat_request({2, -1, L"127.0.0.1", 5001});
    EXPECT_EQ(seat.status[status_part::kConnection],
              L"connstat attempt Loop: 2 PCU: All IP: 127.0.0.1 remote port: 5001");
    router.send_connstat_request({3, 4, L"127.0.0.1", 5002});
    EXPECT_EQ(seat.status[status_part::kConnection],
              L"\"connstat attempt Loop: 3 PCU: 4 IP: 127.0.0.1 remote port: 5002\"");
    ASSERT_EQ(loops.sent.size(), 2u);
    EXPECT_EQ(loops.sent[1].text, L"00C0FFEE,5002 connstat 127.0.0.1 3 4 0 0");
}

TEST(Simulation, ReadRequestsAreAnsweredAtHomeAndNothingIsSent) {
    FakeLoops loops;
    loops.simulation = true;
    FakeWindow window;
    FakeSeat seat;
    RequestRouter router(loops, window, seat, L"alice");
    const auto compose = [&](std::wstring_view suffix) {
        return compose_read_request(window.handle(), 0x2A, {1, 2, 5, 100}, suffix);
    };
    EXPECT_TRUE(router.send_request({1, 2, std::nullopt}, compose, 12.0f));
    EXPECT_TRUE(loops.sent.empty());
    ASSERT_EQ(window.posts.size(), 1u);
    EXPECT_EQ(window.posts[0].first, FakeWindow::kHandle);
    EXPECT_EQ(window.posts[0].second, L"00C0FFEE,0000002A read output 1 02 05 100\nOK\n12.00");
}

TEST(Simulation, StatusRequestsGetAnEmptyPostAndAGoneWindowNothing) {
    FakeLoops loops;
    loops.simulation = true;
    FakeWindow window;
    FakeSeat seat;
    RequestRouter router(loops, window, seat, L"");
    EXPECT_TRUE(router.send_connstat_request({1, -1, L"127.0.0.1", 0}));
    ASSERT_EQ(window.posts.size(), 1u);
    EXPECT_FALSE(window.posts[0].second.has_value());
    window.windows.clear();
    EXPECT_TRUE(router.send_connstat_request({1, -1, L"127.0.0.1", 0}));
    EXPECT_EQ(window.posts.size(), 1u);
    EXPECT_TRUE(loops.sent.empty());
}

} // namespace
} // namespace brixtel
