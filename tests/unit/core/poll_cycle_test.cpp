#include "core/poll_cycle.h"

#include "cycle_fakes.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

using testing::FakeClock;
using testing::FakeHooks;
using testing::FakeLoops;
using testing::FakeSeat;
using testing::FakeWindow;

constexpr BlockAddress kA{1, 2, 3, 4};
constexpr BlockAddress kB{1, 2, 3, 5};

PointNode node(const BlockAddress& address, std::int32_t database = kNoDatabaseNumber) {
    return PointNode{L"", address, database};
}

class Cycle : public ::testing::Test {
  protected:
    PointTable points;
    SnapshotList snapshots;
    FakeLoops loops;
    FakeWindow window;
    FakeSeat seat;
    FakeClock clock;
    FakeHooks hooks{snapshots};
    RequestRouter router{loops, window, seat, L""};
    PollCycle cycle{points, snapshots, router, loops, seat, hooks.partners(), clock};

    void switch_on(const CurrentTagList& list) {
        ASSERT_FALSE(cycle.monitoring_on());
        cycle.monitoring_command(list);
    }
    void switch_off() {
        ASSERT_TRUE(cycle.monitoring_on());
        cycle.monitoring_command({});
    }

    std::vector<MonitoredPoint*> listed() { return points.listed_points(); }

    std::wstring request_of(const MonitoredPoint& p) {
        return *compose_read_request(window.handle(), p.request_id, p.address);
    }
    void answer(const MonitoredPoint& p, std::wstring_view value) {
        const std::wstring text = request_of(p) + L"\nOK REAL\n" + std::wstring(value);
        cycle.answer_arrived(text.c_str());
    }
    // What the message loop would do with the answers posted in Simulation mode.
    void deliver_posts() {
        auto posts = std::move(window.posts);
        window.posts.clear();
        for (auto& [to, text] : posts)
            cycle.answer_arrived(text ? text->c_str() : nullptr);
    }
    void set_day(std::uint16_t day) { clock.standing.day = day; }
};

// ---- Simulation ---------------------------------------------------------------------------

TEST_F(Cycle, SimulationAnswersEachPointWithItsCounterAndSendsNothing) {
    loops.simulation = true;
    switch_on({node(kA)});
    MonitoredPoint& point = *listed()[0];
    std::vector<std::wstring> values;
    auto tick_value = [&] {
        cycle.poll_tick();
        deliver_posts();
        values.push_back(point.value.value_or(L"<none>"));
    };
    for (int i = 0; i < 3; ++i)
        tick_value();
    point.simulation_counter = 9999.0f;
    tick_value();
    tick_value();
    tick_value();
    EXPECT_EQ(values, (std::vector<std::wstring>{L"1.00", L"2.00", L"3.00", L"10000.00", L"0.00",
                                                 L"1.00"}));
    EXPECT_TRUE(loops.sent.empty());
}

// ---- Requests at a tick -------------------------------------------------------------------

TEST_F(Cycle, DebugViewListsEachRequestOrWhyItCouldNotGo) {
    hooks.debug_view = true;
    loops.add(2, 7);
    switch_on({node({2, 7, 1, 10}), node({9, 9, 3, 4})});
    cycle.poll_tick();

    ASSERT_EQ(hooks.debug_lines.size(), 2u);
    const MonitoredPoint& first = *listed()[0];
    EXPECT_EQ(hooks.debug_lines[0].text, L"00C0FFEE," +
                                             std::wstring(request_of(first).substr(9, 8)) +
                                             L" read output 2 7 1 10");
    EXPECT_EQ(hooks.debug_lines[1].text,
              L"No valid connection to send request - read output 9 9 3 4");
    EXPECT_FALSE(hooks.debug_lines[0].received);
    EXPECT_EQ(seat.status[status_part::kConnection],
              L"Halvo Monitoring Configuration cannot transmit requests.");
    ASSERT_EQ(loops.sent.size(), 1u);
    EXPECT_EQ(loops.sent[0].text, request_of(first));
    // Every line's record carries the tick's date and time.
    ASSERT_GE(snapshots.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(snapshots.at(i)->cycle_date, L"1/3/2024");
        EXPECT_EQ(snapshots.at(i)->values[1], L"10:15:30.250");
    }
}

TEST_F(Cycle, TickWithoutMonitoringOrDemandSendsNothing) {
    loops.add(1, -1);
    points.create(kA, {}, true, false); // a DDE-only point
    cycle.poll_tick();
    EXPECT_TRUE(loops.sent.empty());
    cycle.set_dde_demand(true);
    cycle.poll_tick();
    EXPECT_EQ(loops.sent.size(), 1u);
}

TEST_F(Cycle, TickMovesTheCycleBookkeeping) {
    loops.add(1, -1);
    switch_on({node(kA)});
    cycle.poll_tick();
    answer(*listed()[0], L"1");
    EXPECT_TRUE(cycle.state().answers_this_cycle);
    EXPECT_TRUE(cycle.state().first_answer_taken);
    set_day(2);
    cycle.poll_tick();
    EXPECT_FALSE(cycle.state().answers_this_cycle);
    EXPECT_TRUE(cycle.state().answers_last_cycle);
    EXPECT_FALSE(cycle.state().first_answer_taken);
    EXPECT_EQ(cycle.state().previous_cycle_date, L"2/3/2024");
    EXPECT_EQ(cycle.state().request_time, L"10:15:30.250");
    cycle.poll_tick();
    EXPECT_FALSE(cycle.state().answers_last_cycle);
}

// ---- Closing a cycle's rows ---------------------------------------------------------------

struct CloseCase {
    const char* name;
    bool debug_view;
    bool skip_first_tick; // the first tick after switching on builds no row
    bool answer_in_cycle;
    bool row_expected;
};

class CycleClosing : public Cycle, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CycleClosing, RowsCloseOnlyAfterARealCycle) {
    const CloseCase& c = GetParam();
    hooks.debug_view = c.debug_view;
    hooks.logging = true;
    loops.add(1, -1);
    points.create({7, 7, 7, 7}, {}, true, false); // DDE-only: polled, never a row
    switch_on({node(kA), node(kB)});
    if (c.skip_first_tick)
        cycle.poll_tick();
    set_day(2);
    if (c.answer_in_cycle)
        answer(*listed()[0], L"12.5 DEGF");
    set_day(3);
    cycle.poll_tick();

    ASSERT_EQ(hooks.rows_given.size(), c.row_expected ? 1u : 0u);
    ASSERT_EQ(hooks.log_rows.size(), c.row_expected ? 1u : 0u);
    if (!c.row_expected)
        return;
    const PollSnapshot& row = hooks.rows_given[0];
    EXPECT_EQ(row.values[2], L"12.5");
    EXPECT_EQ(row.types[2], value_type::kNumber);
    EXPECT_EQ(row.addresses[2], L"1-2-3-4");
    EXPECT_EQ(row.times[2], L"10:15:30.250");
    EXPECT_EQ(row.values[3], L"MISSING");
    EXPECT_EQ(row.addresses[3], L"1-2-3-5");
    EXPECT_TRUE(row.times[3].empty());
    EXPECT_FALSE(row.values[4]); // nothing after the last row
    // The row goes to the log under the date of the tick that sent its requests.
    EXPECT_EQ(hooks.log_rows[0].date, L"1/3/2024");
    EXPECT_EQ(hooks.log_rows[0].moment, LogMoment::Tick);
    EXPECT_EQ(hooks.log_rows[0].row.values[3], L"MISSING");
    EXPECT_FALSE(listed()[0]->new_value);
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, CycleClosing,
    ::testing::Values(CloseCase{"ExportViewAfterFirstTick", false, true, true, true},
                      CloseCase{"FirstTickBuildsNoRow", false, false, true, false},
                      CloseCase{"NoAnswerSinceLastTick", false, true, false, false},
                      CloseCase{"DebugViewHasNoRows", true, true, true, false}),
    [](const auto& info) { return info.param.name; });

TEST_F(Cycle, CompleteRowIsLoggedAtOnceAndOnlyOnce) {
    hooks.logging = true;
    loops.add(1, -1);
    switch_on({node(kA), node(kB)});
    cycle.poll_tick();
    answer(*listed()[0], L"1");
    EXPECT_TRUE(hooks.log_rows.empty());
    EXPECT_EQ(hooks.refreshes, 1);
    set_day(9);
    answer(*listed()[1], L"2");
    ASSERT_EQ(hooks.log_rows.size(), 1u);
    EXPECT_EQ(hooks.log_rows[0].date, L"9/3/2024");
    EXPECT_EQ(hooks.log_rows[0].row.values[2], L"1");
    EXPECT_EQ(hooks.log_rows[0].row.values[3], L"2");
    answer(*listed()[1], L"3"); // a late repeat does not log the row again
    EXPECT_EQ(hooks.log_rows.size(), 1u);
    cycle.poll_tick(); // nothing was missing: the row is shown but not logged again
    EXPECT_EQ(hooks.rows_given.size(), 1u);
    EXPECT_EQ(hooks.log_rows.size(), 1u);
}

TEST_F(Cycle, FirstAnswerOfACycleSetsTheRowTimes) {
    loops.add(1, -1);
    switch_on({node(kA), node(kB)});
    clock.standing.second = 1;
    cycle.poll_tick();
    clock.standing.second = 2;
    answer(*listed()[0], L"1");
    clock.standing.second = 3;
    set_day(4);
    answer(*listed()[1], L"2");
    const PollSnapshot& row = *snapshots.newest();
    EXPECT_EQ(row.values[0], L"10:15:02.250");
    EXPECT_EQ(row.values[1], L"10:15:03.250");
    EXPECT_EQ(row.dates[0], L"1/3/2024");
    EXPECT_EQ(row.dates[1], L"4/3/2024");
    EXPECT_EQ(row.dates[3], L"4/3/2024");
    EXPECT_EQ(row.request_time, L"10:15:01.250");
}

// ---- Answers ------------------------------------------------------------------------------

TEST_F(Cycle, CancelReachesEveryPointAndEveryRow) {
    loops.add(1, -1);
    MonitoredPoint& dde_only = points.create({8, 8, 8, 8}, {}, true, false);
    switch_on({node(kA), node(kB)});
    cycle.poll_tick();
    const std::wstring cancel = request_of(*listed()[0]) + L"\nINFO 0 cancel";
    cycle.answer_arrived(cancel.c_str());

    for (const MonitoredPoint& p : points) {
        EXPECT_EQ(p.value, L"CANCEL_201");
        EXPECT_TRUE(p.new_value);
        EXPECT_EQ(p.time_in, L"10:15:30.250");
    }
    EXPECT_EQ(hooks.dde_notified.size(), 3u);
    EXPECT_EQ(hooks.dde_notified[0], &dde_only);
    const PollSnapshot& row = *snapshots.newest();
    EXPECT_EQ(row.values[2], L"CANCEL_201");
    EXPECT_EQ(row.values[3], L"CANCEL_201");
    EXPECT_EQ(row.addresses[3], L"1-2-3-5");
    EXPECT_FALSE(row.values[4]);
    EXPECT_EQ(row.request_time, L"10:15:30.250");
    EXPECT_EQ(hooks.refreshes, 1);
}

TEST_F(Cycle, OneAnswerUpdatesEveryPointWithItsAddress) {
    loops.add(1, -1);
    switch_on({node(kA), node(kB), node(kA)});
    cycle.poll_tick();
    const auto rows = listed();
    answer(*rows[2], L"42"); // the later point's own answer updates the earlier one too
    EXPECT_EQ(rows[0]->value, L"42");
    EXPECT_EQ(rows[2]->value, L"42");
    EXPECT_FALSE(rows[1]->value);
    const PollSnapshot& row = *snapshots.newest();
    EXPECT_EQ(row.values[2], L"42");
    EXPECT_FALSE(row.values[3]);
    EXPECT_EQ(row.values[4], L"42");
    ASSERT_EQ(hooks.dde_notified.size(), 2u);
    EXPECT_EQ(hooks.dde_notified[0], rows[2]);
    EXPECT_EQ(hooks.dde_notified[1], rows[0]);
}

TEST_F(Cycle, AnswersForGonePointsOrNothingChangeNothing) {
    loops.add(1, -1);
    switch_on({node(kA)});
    const std::wstring stale = request_of(*listed()[0]);
    switch_off();
    switch_on({node(kA)});
    cycle.poll_tick();
    const std::wstring answer_text = stale + L"\nOK REAL\n5";
    cycle.answer_arrived(answer_text.c_str());
    cycle.answer_arrived(nullptr);
    cycle.answer_arrived(L"no comma here");
    EXPECT_FALSE(listed()[0]->value);
    EXPECT_FALSE(listed()[0]->new_value);
    EXPECT_TRUE(hooks.dde_notified.empty());
    EXPECT_EQ(hooks.refreshes, 0);
}

TEST_F(Cycle, DebugViewShowsAndLogsEachAnswer) {
    hooks.debug_view = true;
    hooks.logging = true;
    loops.add(1, -1);
    switch_on({node(kA)});
    const std::wstring text = request_of(*listed()[0]) + L"\nOK REAL\n3";
    cycle.answer_arrived(text.c_str());
    ASSERT_EQ(hooks.debug_lines.size(), 1u);
    EXPECT_EQ(hooks.debug_lines[0].text, text);
    EXPECT_TRUE(hooks.debug_lines[0].received);
    ASSERT_EQ(hooks.debug_log.size(), 1u);
    EXPECT_EQ(hooks.debug_log[0], L"1/3/2024|10:15:30.250|" + text);
    // The line's record keeps its text: rows are not written over it.
    EXPECT_EQ(snapshots.at(0)->values[2], text);
    EXPECT_EQ(snapshots.at(0)->values[1], L"10:15:30.250");
    EXPECT_EQ(listed()[0]->value, L"3");
}

struct StatusCase {
    const char* name;
    std::wstring answer;
    std::wstring shown;
    bool ok;
};

class ConnstatAnswers : public Cycle, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ConnstatAnswers, SetTheLinkAndShowTheVerdict) {
    const StatusCase& c = GetParam();
    hooks.debug_view = true;
    cycle.answer_arrived(c.answer.c_str());
    ASSERT_EQ(loops.statuses.size(), 1u);
    EXPECT_EQ(loops.statuses[0].second, c.ok);
    EXPECT_EQ(seat.status[status_part::kConnection], c.shown);
    EXPECT_TRUE(hooks.debug_lines.empty());
    EXPECT_FALSE(cycle.state().answers_this_cycle);
}

INSTANTIATE_TEST_SUITE_P(
    Verdicts, ConnstatAnswers,
    ::testing::Values(StatusCase{"AllPcusOk", L"00C0FFEE,5000 connstat 127.0.0.1 2 -1 0 0\nSUCCESS",
                                 L"Loop: 2 PCU: All IP: 127.0.0.1 remote port: 5000 connstat=OK",
                                 true},
                      StatusCase{"OnePcuBad", L"00C0FFEE,5001 connstat 127.0.0.1 3 4 0 0\nFAILURE",
                                 L"Loop: 3 PCU: 4 IP: 127.0.0.1 remote port: 5001 connstat=BAD",
                                 false}),
    [](const auto& info) { return info.param.name; });

TEST_F(Cycle, FeatureUsernameAnswerIsStoredWithoutText) {
    cycle.answer_arrived(L"00C0FFEE,5000 feature username 127.0.0.1 2 -1 0 0\nSUCCESS");
    ASSERT_EQ(loops.features.size(), 1u);
    EXPECT_EQ(loops.features[0].first, (LoopEndpoint{2, -1, L"127.0.0.1", 5000}));
    EXPECT_EQ(loops.features[0].second, 1);
    EXPECT_TRUE(seat.status.empty());
}

// ---- Connection status --------------------------------------------------------------------

TEST_F(Cycle, SilentConnectionIsRebuiltAtTheFourthTick) {
    LoopEntry& entry = loops.add(2, -1);
    std::vector<std::size_t> sends;
    for (int tick = 0; tick < 4; ++tick) {
        loops.sent.clear();
        cycle.connstat_tick();
        sends.push_back(loops.sent.size());
    }
    // Three probes (feature username and connstat while the feature is unknown), then the
    // fourth tick reconnects without a probe.
    EXPECT_EQ(sends, (std::vector<std::size_t>{2, 2, 2, 0}));
    ASSERT_EQ(loops.reconnected.size(), 1u);
    EXPECT_EQ(loops.reconnected[0], (LoopEndpoint{2, -1, L"127.0.0.1", 5000}));
    EXPECT_EQ(entry.connstat_retries, 0);
}

TEST_F(Cycle, AnsweredProbesNeverReconnect) {
    LoopEntry& entry = loops.add(2, -1);
    entry.user_name_feature = 2;
    for (int tick = 0; tick < 6; ++tick) {
        cycle.connstat_tick();
        cycle.answer_arrived(L"00C0FFEE,5000 connstat 127.0.0.1 2 -1 0 0\nSUCCESS");
    }
    EXPECT_TRUE(loops.reconnected.empty());
    EXPECT_EQ(loops.sent.size(), 6u); // connstat only: the feature is known
    EXPECT_EQ(loops.sent[0].text, L"00C0FFEE,5000 connstat 127.0.0.1 2 -1 0 0");
}

TEST_F(Cycle, ConnstatTickSkipsEntriesBeingLookedUpOrUnbound) {
    LoopEntry& looking = loops.add(2, -1);
    looking.last_lookup_error = kLookupPending;
    looking.connstat_retries = 5;
    LoopEntry& unbound = loops.add(3, -1);
    unbound.local_port = kNoLocalPort;
    cycle.connstat_tick();
    EXPECT_TRUE(loops.sent.empty());
    EXPECT_TRUE(loops.reconnected.empty());
    EXPECT_EQ(looking.connstat_retries, 5);
    EXPECT_EQ(unbound.connstat_retries, 0);
}

TEST_F(Cycle, ConnstatTickReportsMissingOrDemoConfiguration) {
    cycle.connstat_tick();
    EXPECT_EQ(seat.status[status_part::kConnection],
              L"No Halvo Monitoring Configuration available");
    loops.add(1, -1, true, L"127.0.0.1", 0);
    loops.add(2, -1);
    cycle.connstat_tick();
    EXPECT_EQ(seat.status[status_part::kConnection], L"Demo Halvo Monitoring Configuration in Use");
    EXPECT_TRUE(loops.sent.empty());
}

// ---- Link check and the Poll timer ---------------------------------------------------------

struct LinkCase {
    const char* name;
    bool monitoring;
    bool dde_demand;
    bool link_ok;
    bool running_before;
    bool sync_start_due;
    bool running_after;
};

class LinkCheck : public Cycle, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkCheck, StartsAndStopsThePollTimer) {
    const LinkCase& c = GetParam();
    LoopEntry& entry = loops.add(1, -1, true);
    if (c.running_before) {
        cycle.set_dde_demand(true);
        cycle.link_check();
        ASSERT_TRUE(cycle.state().poll_timer_running);
    }
    cycle.set_dde_demand(c.dde_demand);
    if (c.monitoring)
        switch_on({});
    entry.link_ok = c.link_ok;
    hooks.sync_start_due = c.sync_start_due;
    const auto starts = hooks.timer_starts.size();
    cycle.link_check();
    EXPECT_EQ(cycle.state().poll_timer_running, c.running_after);
    EXPECT_EQ(cycle.state().some_loop_usable, c.link_ok);
    EXPECT_EQ(hooks.timer_starts.size() - starts, !c.running_before && c.running_after ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    States, LinkCheck,
    ::testing::Values(LinkCase{"UsableAndMonitoring", true, false, true, false, false, true},
                      LinkCase{"UsableAndDdeDemand", false, true, true, false, false, true},
                      LinkCase{"UsableButIdle", false, false, true, false, false, false},
                      LinkCase{"AlreadyRunning", false, true, true, true, false, true},
                      LinkCase{"NothingUsable", false, true, false, true, false, false},
                      LinkCase{"DueSyncStartKeepsPolling", true, false, false, true, true, true},
                      LinkCase{"DueSyncStartOnlyWhileMonitoring", false, false, false, true, true,
                               false}),
    [](const auto& info) { return info.param.name; });

TEST_F(Cycle, StartingThePollTimerPollsAtOnce) {
    loops.add(1, -1);
    hooks.interval_ms = 2500;
    cycle.start_poll_timer(); // monitoring off, no demand: nothing
    EXPECT_TRUE(hooks.timer_starts.empty());
    switch_on({node(kA)});
    cycle.start_poll_timer();
    EXPECT_EQ(loops.sent.size(), 1u);
    EXPECT_EQ(hooks.timer_starts, std::vector<std::uint32_t>{2500});
    cycle.start_poll_timer();
    EXPECT_EQ(loops.sent.size(), 1u);
    cycle.stop_poll_timer();
    EXPECT_EQ(hooks.timer_stops, 1);
    EXPECT_FALSE(cycle.state().poll_timer_running);
    cycle.link_check(); // a usable loop starts it again
    EXPECT_EQ(hooks.timer_starts.size(), 2u);
    switch_off();
    switch_on({node(kA)}); // switching on restarts a running timer at once
    EXPECT_EQ(hooks.timer_stops, 2);
    EXPECT_EQ(hooks.timer_starts.size(), 3u);
    EXPECT_TRUE(cycle.state().poll_timer_running);
}

// ---- Monitoring switch --------------------------------------------------------------------

TEST_F(Cycle, SwitchingKeepsDdeOnlyPointsAndRecreatesListedOnes) {
    MonitoredPoint& dde_only = points.create({9, 9, 9, 9}, {}, true, false);
    const CurrentTagList list{node(kA), node(kB, kDetachedDatabase), node(kB, 2)};
    switch_on(list);
    EXPECT_EQ(points.size(), 3u);
    ASSERT_EQ(listed().size(), 2u);
    EXPECT_EQ(listed()[0]->address, kA);
    EXPECT_EQ(listed()[1]->address, kB);
    EXPECT_EQ(listed()[0]->dde.item, 0u);
    switch_off();
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(&*points.begin(), &dde_only);
    EXPECT_FALSE(cycle.state().points_created);
    EXPECT_TRUE(cycle.state().first_tick);
    switch_on(list);
    EXPECT_EQ(listed().size(), 2u);
    EXPECT_EQ(hooks.monitoring_checks, (std::vector<bool>{true, false, true}));
}

struct StateTextCase {
    const char* name;
    std::wstring shown;
    bool on;
    std::wstring expected;
};

class MonitoringText : public Cycle, public ::testing::WithParamInterface<StateTextCase> {};

TEST_P(MonitoringText, KeepsTheIntervalAlreadyShown) {
    const StateTextCase& c = GetParam();
    hooks.interval_ms = 1500;
    if (c.on) {
        hooks.part0 = c.shown;
        switch_on({});
    } else {
        switch_on({});
        hooks.part0 = c.shown;
        switch_off();
    }
    EXPECT_EQ(seat.status[status_part::kMonitoring], c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MonitoringText,
    ::testing::Values(StateTextCase{"OnKeepsPart", L"Monitoring: OFF (00:00:02.000)", true,
                                    L"Monitoring: ON (00:00:02.000)"},
                      StateTextCase{"OnAtCreation", L"Monitoring: OFF (1000 sec)", true,
                                    L"Monitoring: ON (1000 sec)"},
                      StateTextCase{"OnBuilt", L"", true, L"Monitoring: ON (00:00:01.500)"},
                      StateTextCase{"OffKeepsPart", L"Monitoring: ON (01:02:03.004)", false,
                                    L"Monitoring: OFF (01:02:03.004)"},
                      StateTextCase{"OffBuilt", L"Monitoring", false,
                                    L"Monitoring: OFF (00:00:01.500)"}),
    [](const auto& info) { return info.param.name; });

struct MenuCase {
    const char* name;
    bool sync_start;
    bool sync_stop;
    bool sync_item_grayed_while_on;
    bool monitoring_grayed_after_off;
};

class MonitoringMenus : public Cycle, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(MonitoringMenus, FollowTheSwitch) {
    const MenuCase& c = GetParam();
    hooks.sync_start = c.sync_start;
    hooks.sync_stop = c.sync_stop;
    switch_on({});
    EXPECT_FALSE(seat.enabled[Command::LoadTagList]);
    EXPECT_FALSE(seat.enabled[Command::DeleteTagList]);
    EXPECT_EQ(seat.enabled.count(Command::SynchronizedStart) == 1 &&
                  !seat.enabled[Command::SynchronizedStart],
              c.sync_item_grayed_while_on);
    seat.enabled.clear();
    switch_off();
    EXPECT_TRUE(seat.enabled[Command::LoadTagList]);
    EXPECT_TRUE(seat.enabled[Command::DeleteTagList]);
    EXPECT_TRUE(seat.enabled[Command::SynchronizedStart]);
    EXPECT_EQ(seat.enabled.count(Command::Monitoring) == 1 && !seat.enabled[Command::Monitoring],
              c.monitoring_grayed_after_off);
}

INSTANTIATE_TEST_SUITE_P(Sync, MonitoringMenus,
                         ::testing::Values(MenuCase{"NoTimes", false, false, true, false},
                                           MenuCase{"StartSet", true, false, false, true},
                                           MenuCase{"StopSet", false, true, false, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Cycle, SwitchingOffClosesTheRunningCycle) {
    hooks.logging = true;
    loops.add(1, -1);
    switch_on({node(kA), node(kB)});
    cycle.poll_tick();
    answer(*listed()[0], L"4");
    set_day(7);
    switch_off();
    ASSERT_EQ(hooks.rows_given.size(), 1u);
    EXPECT_EQ(hooks.rows_given[0].values[2], L"4");
    EXPECT_EQ(hooks.rows_given[0].values[3], L"MISSING");
    EXPECT_EQ(hooks.rows_given[0].addresses[3], L"1-2-3-5");
    ASSERT_EQ(hooks.log_rows.size(), 1u);
    EXPECT_EQ(hooks.log_rows[0].date, L"7/3/2024");
    EXPECT_EQ(hooks.log_rows[0].moment, LogMoment::MonitoringOff);
    // Back on: the stale cycle gives no row at the first tick.
    switch_on({node(kA), node(kB)});
    cycle.poll_tick();
    EXPECT_EQ(hooks.rows_given.size(), 1u);
}

// Each cycle's row reaches the log once, at the first moment that finds it ready: an answer
// that leaves it complete, the tick that closes it with points missing, or switching off.
struct LogOnceCase {
    const char* name;
    bool logging_before_answers; // else logging starts after both points answered
    bool second_point_answers;
    bool late_repeat; // one more answer in the same cycle
    std::vector<LogMoment> moments;
};

class CycleRowLogging : public Cycle, public ::testing::WithParamInterface<LogOnceCase> {};

TEST_P(CycleRowLogging, EveryRowIsLoggedOnceAtItsFirstReadyMoment) {
    const LogOnceCase& c = GetParam();
    hooks.logging = c.logging_before_answers;
    loops.add(1, -1);
    switch_on({node(kA), node(kB)});
    cycle.poll_tick();
    answer(*listed()[0], L"1");
    if (c.second_point_answers)
        answer(*listed()[1], L"2");
    hooks.logging = true;
    if (c.late_repeat)
        answer(*listed()[0], L"3");
    switch_off();
    std::vector<LogMoment> moments;
    for (const auto& row : hooks.log_rows)
        moments.push_back(row.moment);
    EXPECT_EQ(moments, c.moments);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, CycleRowLogging,
    ::testing::Values(
        LogOnceCase{"CompleteAtOnce", true, true, true, {LogMoment::Answer}},
        LogOnceCase{"IncompleteAtSwitchOff", true, false, false, {LogMoment::MonitoringOff}},
        LogOnceCase{"CompletedBeforeLoggingThenAnAnswer", false, true, true, {LogMoment::Answer}},
        LogOnceCase{
            "CompletedBeforeLoggingThenSwitchOff", false, true, false, {LogMoment::MonitoringOff}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Cycle, CycleStartIsClearedByTicksUnderMonitoringAndSetWhenItStops) {
    loops.add(1, -1);
    cycle.poll_tick(); // monitoring off: no change
    EXPECT_TRUE(hooks.cycle_start.empty());
    switch_on({node(kA)});
    cycle.poll_tick();
    ASSERT_FALSE(hooks.cycle_start.empty());
    EXPECT_FALSE(hooks.cycle_start.back());
    switch_off();
    EXPECT_EQ(hooks.cycle_start.back(), true);
    hooks.debug_view = true;
    switch_on({node(kA)});
    EXPECT_EQ(hooks.cycle_start.back(), true); // the Debug View has no rows to start
}

TEST_F(Cycle, SwitchingOffWithoutAnswersClosesNothing) {
    hooks.logging = true;
    switch_on({node(kA)});
    switch_off();
    EXPECT_TRUE(hooks.rows_given.empty());
    EXPECT_TRUE(hooks.log_rows.empty());
}

TEST_F(Cycle, SwitchingOnStartsAFreshSnapshotAfterUsedOne) {
    PollSnapshot& used = snapshots.allocate();
    used.values[0] = L"10:00:00.000";
    switch_on({});
    EXPECT_EQ(snapshots.size(), 2u);
    EXPECT_NE(snapshots.newest(), &used);
}

TEST_F(Cycle, ExitRemovesEveryPoint) {
    points.create({9, 9, 9, 9}, {}, true, false);
    switch_on({node(kA)});
    cycle.stop_for_exit();
    EXPECT_FALSE(cycle.monitoring_on());
    EXPECT_TRUE(points.empty());
    EXPECT_TRUE(hooks.rows_given.empty());
}

} // namespace
} // namespace brixtel
