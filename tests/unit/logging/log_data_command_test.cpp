#include "logging/log_data_command.h"

#include "fake_log_control.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::FakeLogControl;
using testing::FakeSeat;
using Calls = std::vector<std::wstring>;

LogTypeChoice choice_of(LoggingType type, bool all = true, std::size_t count = 0) {
    LogTypeChoice choice;
    choice.type = type;
    choice.all_past_data = all;
    choice.past_count = count;
    return choice;
}

TEST(LogDataCommand, LoggingOnIsSwitchedOffWithoutTheDialog) {
    for (const bool sync_logging : {false, true}) {
        SCOPED_TRACE(sync_logging ? "sync logging" : "no sync logging");
        FakeLogControl log;
        log.on = log.user_started = true;
        FakeSeat seat;
        bool asked = false;
        log_data_command(log, seat, sync_logging, [&] {
            asked = true;
            return std::optional<LogTypeChoice>();
        });
        EXPECT_FALSE(asked);
        EXPECT_FALSE(log.on);
        EXPECT_FALSE(log.user_started);
        const Calls expected = sync_logging ? Calls{L"stop_logging", L"use_default_location(off)",
                                                    L"refresh_log_status"}
                                            : Calls{L"stop_logging"};
        EXPECT_EQ(log.calls, expected);
        EXPECT_TRUE(seat.boxes.empty());
    }
}

TEST(LogDataCommand, CancelOrNothingChosenLeavesTheLogAlone) {
    for (const auto& choice :
         {std::optional<LogTypeChoice>(), std::optional(choice_of(LoggingType::Nothing))}) {
        FakeLogControl log;
        FakeSeat seat;
        log_data_command(log, seat, true, [&] { return choice; });
        EXPECT_TRUE(log.calls.empty());
        EXPECT_FALSE(log.on);
    }
}

struct FlowCase {
    const char* name;
    LogTypeChoice choice;
    bool append_mode;
    bool append_date;
    bool over_limit;
    bool file_opens;
    Calls calls;
    std::vector<StringId> messages;
    bool logging_on;
};

TEST(LogDataCommand, NewAndPastDataFlows) {
    const FlowCase cases[] = {
        {"new data appended",
         choice_of(LoggingType::NewOnly),
         true,
         true,
         false,
         true,
         {L"build_log_path", L"check_size(at start)", L"start_logging"},
         {},
         true},
        {"new data into an emptied file",
         choice_of(LoggingType::NewOnly),
         false,
         true,
         false,
         true,
         {L"build_log_path", L"check_size(at start)", L"empty_log_file", L"start_logging"},
         {},
         true},
        {"new data, file over the limit",
         choice_of(LoggingType::NewOnly),
         true,
         false,
         true,
         true,
         {L"build_log_path", L"check_size(at start)"},
         {ids::LogTooLargeLoggingOff},
         false},
        {"new data, dated file over the limit waits for midnight",
         choice_of(LoggingType::NewOnly),
         true,
         true,
         true,
         true,
         {L"build_log_path", L"check_size(at start)", L"start_logging"},
         {ids::LogTooLargeNewDatedFile},
         true},
        {"past data only",
         choice_of(LoggingType::PastOnly, false, 4),
         true,
         true,
         false,
         true,
         {L"build_log_path", L"write_past_data(append, 4)", L"append_mode(on)",
          L"show_logging_off"},
         {},
         false},
        {"past data after deleting, then new data appended",
         choice_of(LoggingType::PastThenNew),
         false,
         true,
         false,
         true,
         {L"build_log_path", L"write_past_data(empty, all)", L"append_mode(on)",
          L"check_size(at start)", L"start_logging"},
         {},
         true},
        {"past then new over the limit",
         choice_of(LoggingType::PastThenNew, false, 2),
         true,
         false,
         true,
         true,
         {L"build_log_path", L"write_past_data(append, 2)", L"append_mode(on)",
          L"check_size(at start)"},
         {ids::LogTooLargeLoggingOff},
         false},
        {"past data, file cannot be opened",
         choice_of(LoggingType::PastThenNew),
         false,
         true,
         false,
         false,
         {L"build_log_path", L"write_past_data(empty, all)"},
         {ids::CannotOpenFile},
         false},
    };
    for (const FlowCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeLogControl log;
        log.append = c.append_mode;
        log.setting.append_date = c.append_date;
        log.over_limit = c.over_limit;
        log.file_opens = c.file_opens;
        FakeSeat seat;
        log_data_command(log, seat, true, [&] { return std::optional(c.choice); });
        EXPECT_EQ(log.calls, c.calls);
        EXPECT_EQ(seat.shown_texts(), c.messages);
        for (const auto& box : seat.boxes) {
            EXPECT_EQ(box.flags, mb::IconExclamation);
            EXPECT_EQ(box.caption,
                      box.text == ids::CannotOpenFile ? ids::FileError : ids::LogWarning);
        }
        EXPECT_EQ(log.on, c.logging_on);
        EXPECT_EQ(log.user_started, c.logging_on);
    }
}

} // namespace
} // namespace brixtel
