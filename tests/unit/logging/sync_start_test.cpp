#include "logging/sync_start.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brixtel {
namespace {

// ---- Clock form and time conversions ------------------------------------------------------

TEST(SyncClockForm, ComesFromTheLocalesSampleTime) {
    struct Case {
        const wchar_t* sample;
        bool twelve_hour;
        wchar_t separator;
        bool two_digit_hours;
    };
    const Case cases[] = {
        {L"1:07:09 AM", true, L':', false}, {L"01:07:09 AM", true, L':', true},
        {L"01:07:09", false, L':', true},   {L"1:07:09", false, L':', false},
        {L"01.07.09", false, L'.', true},   {L"AM 1:07:09", true, L':', false}, // designator first
        {L"1h07", true, L':', false}, // a letter, and no punctuation: ":" stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.sample)));
        const ClockForm form = clock_form_of(c.sample);
        EXPECT_EQ(form.twelve_hour, c.twelve_hour);
        EXPECT_EQ(form.separator, c.separator);
        EXPECT_EQ(form.two_digit_hours, c.two_digit_hours);
    }
}

TEST(SyncClockForm, ListsHoursInTheLocalesFormAndEveryMinute) {
    const auto twelve = hour_items({true, L':', false});
    ASSERT_EQ(twelve.size(), 12u);
    EXPECT_EQ(twelve.front(), L"1");
    EXPECT_EQ(twelve.back(), L"12");
    const auto twenty_four = hour_items({false, L':', true});
    ASSERT_EQ(twenty_four.size(), 24u);
    EXPECT_EQ(twenty_four.front(), L"00");
    EXPECT_EQ(twenty_four[9], L"09");
    EXPECT_EQ(twenty_four.back(), L"23");
    const auto minutes = minute_items();
    ASSERT_EQ(minutes.size(), 60u);
    EXPECT_EQ(minutes.front(), L"00");
    EXPECT_EQ(minutes[7], L"07");
    EXPECT_EQ(minutes.back(), L"59");
}

TEST(SyncTimes, TwelveHourClockShowsAndReadsBackEveryHour) {
    struct Case {
        std::uint32_t hour;
        std::uint32_t shown;
        bool pm;
    };
    const Case cases[] = {
        {0, 12, false}, {1, 1, false}, {11, 11, false},
        {12, 12, true}, {13, 1, true}, {23, 11, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hour);
        EXPECT_EQ(shown_time({c.hour, 45}, true), (ShownTime{c.shown, 45, c.pm}));
        const auto back = chosen_time(std::to_wstring(c.shown), L"45", c.pm ? kPm : kAm, true);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, (SyncTime{c.hour, 45}));
    }
    // Every hour of the day survives the round trip through the lists' texts.
    const ClockForm form{true, L':', true};
    const auto hours = hour_items(form);
    for (std::uint32_t hour = 0; hour < 24; ++hour) {
        const ShownTime shown = shown_time({hour, 0}, true);
        const auto back = chosen_time(hours.at(shown.hour - 1), L"00", shown.pm ? kPm : kAm, true);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->hour, hour);
    }
}

TEST(SyncTimes, TwentyFourHourClockKeepsTheHour) {
    EXPECT_EQ(shown_time({0, 5}, false).hour, 0u);
    EXPECT_EQ(shown_time({17, 5}, false).hour, 17u);
    EXPECT_EQ(chosen_time(L"00", L"05", std::nullopt, false), (SyncTime{0, 5}));
    EXPECT_EQ(chosen_time(L"17", L"59", std::nullopt, false), (SyncTime{17, 59}));
}

TEST(SyncTimes, AListWithoutASelectionGivesNoTime) {
    EXPECT_FALSE(chosen_time(std::nullopt, L"00", kAm, true));
    EXPECT_FALSE(chosen_time(L"1", std::nullopt, kAm, true));
    EXPECT_FALSE(chosen_time(L"1", L"00", std::nullopt, true));
    EXPECT_FALSE(chosen_time(L"", L"00", std::nullopt, false));
}

TEST(SyncTimes, ATimeThatIsOffOpensAsNoon) {
    LoggingOptions options;
    options.start_time = false;
    options.start_hour = 7;
    options.start_minute = 30;
    options.stop_time = true;
    options.stop_hour = 0;
    options.stop_minute = 15;
    options.sync_log = false;
    const SyncChoice choice = sync_choice_of(options);
    EXPECT_EQ(choice, (SyncChoice{false, {12, 0}, true, {0, 15}, false}));
    EXPECT_EQ(shown_time(choice.start, true), (ShownTime{12, 0, true}));
}

// ---- The clock ----------------------------------------------------------------------------

// The program around the clock: monitoring switches with the command, as the window does.
class FakeSyncPartner : public SyncPartner {
  public:
    bool monitoring_on() const override { return monitoring; }
    bool point_list_empty() const override { return empty; }
    void send_monitoring_command() override {
        ++commands;
        monitoring = !monitoring;
    }
    void enable_monitoring_command(bool enabled) override { monitoring_enabled = enabled; }

    bool monitoring = false;
    bool empty = false;
    int commands = 0;
    std::optional<bool> monitoring_enabled;
};

// The log writer's part in it: the location swap, the flags, and every call in order.
class FakeLogControl : public LogControl {
  public:
    LogFileSetting file_setting() const override { return setting; }
    void set_file_setting(const LogFileSetting& s) override { setting = s; }
    void confirm_file_setting(const LogFileSetting& s) override { setting = saved = s; }
    void use_default_location(bool on) override {
        calls.push_back(on ? "default on" : "default off");
        if (on) {
            saved = setting;
            setting = {L"C:\\Halvo LOGS", L"Brixtel_Line", true};
        } else {
            setting = saved;
        }
    }
    std::wstring default_log_location() override { return L"C:\\Halvo LOGS\\Brixtel_Line.CSV"; }
    std::wstring build_log_path() override {
        calls.push_back("build path");
        return setting.folder + L"\\" + setting.base_name;
    }
    std::wstring log_path_of(const LogFileSetting& s) override {
        return s.folder + L"\\" + s.base_name;
    }
    bool has_current_log_path() const override { return true; }
    bool empty_log_file() override { return true; }
    LogColumns columns() const override { return {}; }
    void set_columns(const LogColumns&) override {}
    std::uint32_t size_limit_mb() const override { return 5; }
    void set_size_limit_mb(std::uint32_t) override {}
    void clear_size_exceeded() override {}
    bool append_mode() const override { return true; }
    void set_append_mode(bool) override {}
    void request_header() override {}
    bool logging_on() const override { return on; }
    bool user_started_logging() const override { return user_started; }
    void start_logging(bool by_user) override {
        calls.push_back(by_user ? "start by user" : "start");
        on = true;
        user_started = by_user;
    }
    void stop_logging() override {
        calls.push_back("stop");
        on = false;
        user_started = false;
    }
    void show_logging_off() override {}
    bool check_size(bool at_start) override {
        calls.push_back(at_start ? "size at start" : "size");
        return true;
    }
    void refresh_log_status() override { calls.push_back("refresh"); }
    std::size_t stored_item_count() const override { return 0; }
    bool write_past_data(LogOpenMode, std::optional<std::size_t>) override { return true; }

    LogFileSetting setting{L"D:\\mine", L"chosen", false};
    LogFileSetting saved = setting;
    bool on = false;
    bool user_started = false;
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

LoggingOptions sync_options(bool sync_log) {
    LoggingOptions options;
    options.start_time = true;
    options.start_hour = 8;
    options.start_minute = 30;
    options.stop_time = true;
    options.stop_hour = 17;
    options.stop_minute = 0;
    options.sync_log = sync_log;
    return options;
}

constexpr ClockMinute kStart{8, 30};
constexpr ClockMinute kStop{17, 0};

class SyncClockTest : public testing::Test {
  protected:
    void tick(ClockMinute now, int times = 1) {
        for (int i = 0; i < times; ++i)
            clock.tick(now, options, partner, log);
    }

    LoggingOptions options = sync_options(true);
    FakeSyncPartner partner;
    FakeLogControl log;
    SyncClock clock;
};

TEST_F(SyncClockTest, StartsOncePerStartMinuteAndNotAgainAfterTheUserStops) {
    tick({8, 29}, 3);
    EXPECT_EQ(partner.commands, 0);
    tick(kStart, 5);
    EXPECT_EQ(partner.commands, 1);
    EXPECT_TRUE(partner.monitoring);
    EXPECT_TRUE(clock.start_fired());
    // The user stops monitoring within the start minute: it stays off.
    partner.send_monitoring_command();
    tick(kStart, 5);
    EXPECT_EQ(partner.commands, 2);
    EXPECT_FALSE(partner.monitoring);
    // Past the minute the flag clears, so the next day's start minute fires again.
    tick({8, 31});
    EXPECT_FALSE(clock.start_fired());
    tick(kStart);
    EXPECT_EQ(partner.commands, 3);
    EXPECT_TRUE(partner.monitoring);
}

TEST_F(SyncClockTest, NoStartWithoutPointsOrWhenSwitchedOffOrAlreadyMonitoring) {
    struct Case {
        const char* name;
        bool start_on;
        bool empty;
        bool monitoring;
    };
    const Case cases[] = {
        {"start switched off", false, false, false},
        {"no points", true, true, false},
        {"already monitoring", true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SyncClock fresh;
        FakeSyncPartner program;
        FakeLogControl writer;
        LoggingOptions chosen = sync_options(true);
        chosen.start_time = c.start_on;
        program.empty = c.empty;
        program.monitoring = c.monitoring;
        fresh.tick(kStart, chosen, program, writer);
        EXPECT_EQ(program.commands, 0);
        EXPECT_FALSE(fresh.start_fired());
        EXPECT_TRUE(writer.calls.empty());
    }
}

TEST_F(SyncClockTest, StartWithSyncLoggingLogsToTheDatedDefaultFile) {
    tick(kStart);
    EXPECT_EQ(log.calls, (Calls{"default on", "build path", "start", "size at start"}));
    EXPECT_TRUE(log.on);
    EXPECT_FALSE(log.user_started);
    EXPECT_TRUE(log.setting.append_date);
    EXPECT_TRUE(partner.monitoring);
}

TEST_F(SyncClockTest, StartLeavesLoggingAloneWhenOffOrAlreadyOn) {
    options.sync_log = false;
    tick(kStart);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_TRUE(partner.monitoring);

    SyncClock other;
    FakeSyncPartner program;
    FakeLogControl writer;
    writer.on = writer.user_started = true;
    other.tick(kStart, sync_options(true), program, writer);
    EXPECT_TRUE(writer.calls.empty());
    EXPECT_TRUE(program.monitoring);
}

TEST_F(SyncClockTest, StopEndsTheSynchronizedLoggingAndRestoresTheUsersFile) {
    const LogFileSetting users = log.setting;
    tick(kStart);
    log.calls.clear();
    tick(kStop, 3);
    EXPECT_EQ(partner.commands, 2);
    EXPECT_FALSE(partner.monitoring);
    EXPECT_EQ(log.calls, (Calls{"stop", "default off", "refresh"}));
    EXPECT_FALSE(log.on);
    EXPECT_EQ(log.setting, users);
}

TEST_F(SyncClockTest, StopKeepsLoggingTheUserStartedButStillRestoresTheFile) {
    const LogFileSetting users = log.setting;
    tick(kStart);
    // The user takes the logging over (Log Data... while it runs).
    log.user_started = true;
    log.calls.clear();
    tick(kStop);
    EXPECT_FALSE(partner.monitoring);
    EXPECT_EQ(log.calls, (Calls{"default off", "refresh"}));
    EXPECT_TRUE(log.on);
    EXPECT_EQ(log.setting, users);
}

TEST_F(SyncClockTest, StopWhileMonitoringIsOffDoesNothing) {
    log.on = true; // logging the user started without monitoring
    tick(kStop, 3);
    EXPECT_EQ(partner.commands, 0);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_TRUE(log.on);
}

TEST_F(SyncClockTest, StopLeavesLoggingAloneWithoutSyncLoggingOrWhenItIsOff) {
    options.sync_log = false;
    partner.monitoring = true;
    log.on = true;
    tick(kStop);
    EXPECT_FALSE(partner.monitoring);
    EXPECT_TRUE(log.calls.empty());

    options.sync_log = true;
    log.on = false;
    partner.monitoring = true;
    tick(kStop);
    EXPECT_FALSE(partner.monitoring);
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(SyncClockTest, StopSwitchedOffDoesNothing) {
    options.stop_time = false;
    partner.monitoring = true;
    tick(kStop);
    EXPECT_TRUE(partner.monitoring);
    EXPECT_EQ(partner.commands, 0);
}

// ---- The dialog's OK ----------------------------------------------------------------------

TEST(SyncChoiceTaken, StoresTheTimesWithOffTimesAsNoonAndLetsANewStartFire) {
    struct Case {
        const char* name;
        SyncChoice choice;
        bool empty;
        bool monitoring_enabled;
        LoggingOptions expected; // the sync fields only
    };
    LoggingOptions off;
    off.start_hour = off.stop_hour = 12;
    off.sync_log = false;
    LoggingOptions start_only = off;
    start_only.start_time = true;
    start_only.start_hour = 0;
    start_only.start_minute = 5;
    start_only.sync_log = true;
    LoggingOptions stop_only = off;
    stop_only.stop_time = true;
    stop_only.stop_hour = 23;
    stop_only.stop_minute = 59;
    const Case cases[] = {
        {"nothing set", {false, {3, 4}, false, {5, 6}, false}, false, true, off},
        {"nothing set, no points", {false, {}, false, {}, false}, true, false, off},
        {"a start grays Monitoring", {true, {0, 5}, false, {5, 6}, true}, false, false, start_only},
        {"a stop alone leaves it enabled",
         {false, {}, true, {23, 59}, false},
         false,
         true,
         stop_only},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoggingOptions options = sync_options(true);
        options.log_size = 9; // not the dialog's
        SyncClock clock;
        FakeSyncPartner program;
        FakeLogControl writer;
        program.empty = c.empty;
        clock.tick(kStart, options, program, writer);
        take_sync_choice(c.choice, options, clock, program);
        EXPECT_FALSE(clock.start_fired());
        EXPECT_EQ(program.monitoring_enabled, c.monitoring_enabled);
        LoggingOptions expected = c.expected;
        expected.log_size = 9;
        EXPECT_EQ(options, expected);
    }
}

} // namespace
} // namespace brixtel
