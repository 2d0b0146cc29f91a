// The update interval and the synchronized start, worked as a user would: the Update Interval
// dialog with what it leaves in the registry and the status bar, the Synchronized start dialog,
// and a synchronized start that switches monitoring on by itself.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/remote_controls.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

constexpr UINT kSetUpdateInterval = 40011;
constexpr UINT kMonitoring = kMonitoringCommand;
constexpr UINT kSynchronizedStart = kSynchronizedStartCommand;

constexpr wchar_t kIntervalTitle[] = L"Update Interval";
constexpr const wchar_t* kSyncTitle = kSyncStartTitle;

constexpr int kHours = 1080;
constexpr int kMinutes = 1081;
constexpr int kSeconds = 1082;

using TimeIds = SyncTimeIds;
constexpr const TimeIds& kStart = kSyncStart;
constexpr const TimeIds& kStop = kSyncStop;
constexpr int kSyncLog = kSyncLogBox;

const wchar_t kTooShort[] = L"You cannot specify a frequency less than 10 milliseconds.  Please "
                            L"check your entries or press \"Cancel\" to exit the option.";
const wchar_t kWrongCharacter[] = L"You must enter a valid numeric character.";
const wchar_t kTooManyDecimals[] = L"You can only enter up to 3 decimals.";

const std::wstring kListKey = std::wstring(kSettingsKey) + L"\\Tags\\List1";
const std::wstring kPoint = L"Module 1,2,3 Block 100 -- FIC-101 -- NO_DATABASE";

class IntervalTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        ASSERT_TRUE(documents.redirect());
    }

    ::testing::AssertionResult open(UINT command, std::wstring_view title, HWND* dialog) {
        return open_dialog(brixtel, command, title, dialog);
    }

    ::testing::AssertionResult leave(HWND dialog, int button) {
        return leave_dialog(brixtel, dialog, button);
    }

    ::testing::AssertionResult box_shown_and_closed(std::wstring_view caption,
                                                    std::wstring_view text) {
        return answer_message_box(brixtel, caption, text);
    }

    ::testing::AssertionResult fill_interval(HWND dialog, const wchar_t* hours,
                                             const wchar_t* minutes, const wchar_t* seconds) {
        if (!set_item_text(dialog, kHours, hours) || !set_item_text(dialog, kMinutes, minutes) ||
            !set_item_text(dialog, kSeconds, seconds))
            return ::testing::AssertionFailure() << "the fields cannot be filled";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult wait_for_item_text(HWND dialog, int id, std::wstring_view text) {
        if (poll_until([&] { return item_text(dialog, id) == text; }, kWaitBound))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "control " << id << " shows \"" << narrow(item_text(dialog, id)) << "\"";
    }

    // The dialog is gone before the program has written what it chose.
    ::testing::AssertionResult wait_for_frequency(DWORD expected) {
        if (poll_until([&] { return is_number(kSettingsKey, L"Frequency", expected); }, kWaitBound))
            return ::testing::AssertionSuccess();
        return is_number(kSettingsKey, L"Frequency", expected);
    }

    std::optional<MenuItem> monitoring_item() {
        Menu menu;
        if (!brixtel.read_menu(&menu))
            return std::nullopt;
        const MenuItem* item = menu.find(kMonitoring);
        return item ? std::optional<MenuItem>(*item) : std::nullopt;
    }

    DocumentsFolder documents;
};

// Typing into a field as a user does: characters go in at the end of its text.
void type_at_end(HWND dialog, int id, std::wstring_view characters) {
    HWND field = dialog_item(dialog, id);
    const auto length = static_cast<WPARAM>(item_text(dialog, id).size());
    PostMessageW(field, EM_SETSEL, length, static_cast<LPARAM>(length));
    for (wchar_t c : characters)
        PostMessageW(field, WM_CHAR, c, 1);
}

using UpdateIntervalTest = IntervalTest;

TEST_F(UpdateIntervalTest, RefusesNineMillisecondsAndKeepsTheInterval) {
    ASSERT_TRUE(brixtel.launch());
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kSetUpdateInterval, kIntervalTitle, &dialog));
    EXPECT_EQ(item_text(dialog, kHours), L"0.000");
    EXPECT_EQ(item_text(dialog, kMinutes), L"0.000");
    EXPECT_EQ(item_text(dialog, kSeconds), L"1.000");

    ASSERT_TRUE(fill_interval(dialog, L"0", L"0", L"0.009"));
    ASSERT_TRUE(click(dialog, IDOK));
    ASSERT_TRUE(box_shown_and_closed(L"Invalid Frequency", kTooShort));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed after the refusal";
    save_artifact_screenshot(L"update_interval_dialog");
    EXPECT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_TRUE(is_number(kSettingsKey, L"Frequency", 1000));
    EXPECT_EQ(brixtel.status_text(kStatusMonitoring),
              std::optional<std::wstring>(L"Monitoring: OFF (00:00:01.000)"));
}

TEST_F(UpdateIntervalTest, AcceptsTheLongestIntervalAndShowsIt) {
    ASSERT_TRUE(brixtel.launch());
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kSetUpdateInterval, kIntervalTitle, &dialog));
    ASSERT_TRUE(fill_interval(dialog, L"596", L"30", L"0"));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(wait_for_frequency(2147400000));
    EXPECT_TRUE(
        brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: OFF (596:30:00.000)"));

    // It opens again with the new interval.
    ASSERT_TRUE(open(kSetUpdateInterval, kIntervalTitle, &dialog));
    EXPECT_EQ(item_text(dialog, kHours), L"596.000");
    EXPECT_EQ(item_text(dialog, kMinutes), L"30.000");
    EXPECT_EQ(item_text(dialog, kSeconds), L"0.000");
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

TEST_F(UpdateIntervalTest, TakesADecimalCommaAndRefusesWhatCannotBeANumberAsItIsTyped) {
    ASSERT_TRUE(brixtel.launch());
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kSetUpdateInterval, kIntervalTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, kSeconds, L"1,5"));

    type_at_end(dialog, kSeconds, L"x");
    ASSERT_TRUE(box_shown_and_closed(L"Incorrect Format", kWrongCharacter));
    EXPECT_TRUE(wait_for_item_text(dialog, kSeconds, L"1,5"));
    type_at_end(dialog, kSeconds, L"005");
    ASSERT_TRUE(box_shown_and_closed(L"Maximum Decimal Exceeded", kTooManyDecimals));
    EXPECT_TRUE(wait_for_item_text(dialog, kSeconds, L"1,500"));

    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(wait_for_frequency(1500));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: OFF (00:00:01.500)"));
}

// ---- Synchronized start ---------------------------------------------------------------------

std::vector<std::wstring> items_of(HWND dialog, int id) {
    return combo_items(dialog, id);
}

void expect_time(HWND dialog, const TimeIds& ids, int hour, int minute) {
    const auto shown = shown_time(dialog, ids);
    ASSERT_TRUE(shown) << "a list of control " << ids.on << " has no selection";
    const ListedTime expected = listed_time(hour, minute, twelve_hour_clock(dialog));
    EXPECT_EQ(shown->hour, expected.hour);
    EXPECT_EQ(shown->minute, expected.minute);
    EXPECT_EQ(shown->am_pm, expected.am_pm);
}

using SynchronizedStartTest = IntervalTest;

TEST_F(SynchronizedStartTest, OpensWithTheListsTimesAndKeepsWhatTheUserChose) {
    ASSERT_TRUE(store_startup_tag_list(L"Timed", {kPoint}));
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kListKey, L"StartTime", {1}));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kListKey, L"StartHour", 0));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kListKey, L"StartMinute", 5));
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kListKey, L"StopTime", {0}));
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kListKey, L"SyncLog", {0}));
    ASSERT_TRUE(brixtel.launch());

    HWND dialog = nullptr;
    ASSERT_TRUE(open(kSynchronizedStart, kSyncTitle, &dialog));
    const bool twelve = twelve_hour_clock(dialog);
    EXPECT_EQ(item_visible(dialog, kStart.am_pm), twelve);
    EXPECT_EQ(items_of(dialog, kStart.minute).size(), 60u);
    EXPECT_EQ(check_state(dialog, kStart.on), std::optional<int>(BST_CHECKED));
    EXPECT_TRUE(item_enabled(dialog, kStart.hour));
    expect_time(dialog, kStart, 0, 5); // 12:05 AM on the 12-hour clock
    // The stop time is off: it shows noon, its lists disabled.
    EXPECT_EQ(check_state(dialog, kStop.on), std::optional<int>(BST_UNCHECKED));
    EXPECT_FALSE(item_enabled(dialog, kStop.hour));
    EXPECT_FALSE(item_enabled(dialog, kStop.minute));
    expect_time(dialog, kStop, 12, 0);
    EXPECT_EQ(check_state(dialog, kSyncLog), std::optional<int>(BST_UNCHECKED));

    // Start off, a stop at 23:30, logging with the start.
    ASSERT_TRUE(set_checked(dialog, kStart.on, false));
    EXPECT_TRUE(poll_until([&] { return !item_enabled(dialog, kStart.hour); }, kWaitBound));
    ASSERT_TRUE(set_checked(dialog, kStop.on, true));
    ASSERT_TRUE(poll_until([&] { return item_enabled(dialog, kStop.hour); }, kWaitBound));
    ASSERT_TRUE(choose_time(dialog, kStop, 23, 30));
    ASSERT_TRUE(set_checked(dialog, kSyncLog, true));
    save_artifact_screenshot(L"synchronized_start_dialog");
    ASSERT_TRUE(leave(dialog, IDOK));

    // Without a start the Monitoring command is the user's again.
    const auto item = monitoring_item();
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->grayed);

    ASSERT_TRUE(open(kSynchronizedStart, kSyncTitle, &dialog));
    EXPECT_EQ(check_state(dialog, kStart.on), std::optional<int>(BST_UNCHECKED));
    expect_time(dialog, kStart, 12, 0); // switched off: kept as noon
    EXPECT_EQ(check_state(dialog, kStop.on), std::optional<int>(BST_CHECKED));
    expect_time(dialog, kStop, 23, 30);
    EXPECT_EQ(check_state(dialog, kSyncLog), std::optional<int>(BST_CHECKED));
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

TEST_F(SynchronizedStartTest, StartAtTheCurrentMinuteSwitchesMonitoringOnAndGraysTheCommand) {
    ASSERT_TRUE(store_startup_tag_list(L"Timed", {kPoint}));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: OFF (00:00:01.000)"));

    ASSERT_TRUE(start_synchronized_now(brixtel, false, L"Monitoring: ON (00:00:01.000)"));
    const auto item = monitoring_item();
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->checked);
    EXPECT_TRUE(item->grayed);
}

} // namespace
} // namespace brixtel::e2e
