// The update interval and the synchronized start, worked as a user would: the Update Interval
// dialog with what it leaves in the registry and the status bar, the Synchronized start dialog,
// and a synchronized start that switches monitoring on by itself.
#include "tests/e2e/driver/fixture.h"
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
constexpr UINT kMonitoring = 40012;
constexpr UINT kSynchronizedStart = 40025;

constexpr wchar_t kIntervalTitle[] = L"Update Interval";
constexpr wchar_t kSyncTitle[] = L"Synchronized Monitoring Start and Logging";

constexpr int kHours = 1080;
constexpr int kMinutes = 1081;
constexpr int kSeconds = 1082;

struct TimeIds {
    int on;
    int hour;
    int minute;
    int am_pm;
};
constexpr TimeIds kStart{1103, 1104, 1105, 1106};
constexpr TimeIds kStop{1107, 1108, 1109, 1110};
constexpr int kSyncLog = 1113;

constexpr int kStatusMonitoring = 0;

const wchar_t kTooShort[] = L"You cannot specify a frequency less than 10 milliseconds.  Please "
                            L"check your entries or press \"Cancel\" to exit the option.";
const wchar_t kWrongCharacter[] = L"You must enter a valid numeric character.";
const wchar_t kTooManyDecimals[] = L"You can only enter up to 3 decimals.";

const std::wstring kListKey = std::wstring(kSettingsKey) + L"\\Tags\\List1";
const std::wstring kPoint = L"Module 1,2,3 Block 100 -- FIC-101 -- NO_DATABASE";

class IntervalTest : public BrixtelTest {
  protected:
    ::testing::AssertionResult open(UINT command, std::wstring_view title, HWND* dialog) {
        if (!brixtel.post_command(command))
            return ::testing::AssertionFailure() << "command " << command << " not posted";
        return brixtel.wait_for_window(title, dialog);
    }

    ::testing::AssertionResult leave(HWND dialog, int button) {
        if (!click(dialog, button))
            return ::testing::AssertionFailure() << "button " << button << " cannot be clicked";
        return brixtel.wait_until_gone(dialog);
    }

    // Waits for the message box, checks its caption and text and closes it with OK.
    ::testing::AssertionResult box_shown_and_closed(std::wstring_view caption,
                                                    std::wstring_view text) {
        HWND box = nullptr;
        if (auto found = brixtel.wait_for_window(caption, &box); !found)
            return found;
        const auto content = read_message_box(box);
        if (!content)
            return ::testing::AssertionFailure() << "the box went away before it was read";
        if (content->text != text)
            return ::testing::AssertionFailure() << "box text \"" << narrow(content->text) << "\"";
        if (!press_message_box_button(box, L"OK"))
            return ::testing::AssertionFailure() << "the box has no OK button";
        return brixtel.wait_until_gone(box);
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
    return combo_box_items(dialog_item(dialog, id)).value_or(std::vector<std::wstring>{});
}

std::optional<std::wstring> selected_item(HWND dialog, int id) {
    const auto index = send_bounded(dialog_item(dialog, id), CB_GETCURSEL);
    const auto items = items_of(dialog, id);
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= items.size())
        return std::nullopt;
    return items[static_cast<std::size_t>(*index)];
}

// A time of day as the dialog's lists show it, whichever clock the locale has.
struct ListedTime {
    int hour = 0; // as listed: 1-12 on the 12-hour clock
    int minute = 0;
    std::wstring am_pm; // empty on the 24-hour clock
};

ListedTime listed(int hour, int minute, bool twelve_hour) {
    if (!twelve_hour)
        return {hour, minute, L""};
    const int shown = hour % 12 == 0 ? 12 : hour % 12;
    return {shown, minute, hour < 12 ? L"AM" : L"PM"};
}

bool twelve_hour_clock(HWND dialog) {
    return items_of(dialog, kStart.hour).size() == 12;
}

std::optional<ListedTime> shown_time(HWND dialog, const TimeIds& ids) {
    const auto hour = selected_item(dialog, ids.hour);
    const auto minute = selected_item(dialog, ids.minute);
    if (!hour || !minute)
        return std::nullopt;
    ListedTime time{std::stoi(*hour), std::stoi(*minute), L""};
    if (twelve_hour_clock(dialog)) {
        const auto am_pm = selected_item(dialog, ids.am_pm);
        if (!am_pm)
            return std::nullopt;
        time.am_pm = *am_pm;
    }
    return time;
}

// Picks the time in a time's lists as a user would.
::testing::AssertionResult choose_time(HWND dialog, const TimeIds& ids, int hour, int minute) {
    const bool twelve = twelve_hour_clock(dialog);
    const ListedTime wanted = listed(hour, minute, twelve);
    const auto hours = items_of(dialog, ids.hour);
    int hour_index = -1;
    for (std::size_t i = 0; i < hours.size(); ++i) {
        if (std::stoi(hours[i]) == wanted.hour)
            hour_index = static_cast<int>(i);
    }
    if (hour_index < 0 || !select_combo_box_item(dialog, ids.hour, hour_index) ||
        !select_combo_box_item(dialog, ids.minute, minute))
        return ::testing::AssertionFailure() << "time " << hour << ":" << minute << " not listed";
    if (twelve && !select_combo_box_item(dialog, ids.am_pm, wanted.am_pm == L"AM" ? 0 : 1))
        return ::testing::AssertionFailure() << "no AM/PM list";
    return ::testing::AssertionSuccess();
}

void expect_time(HWND dialog, const TimeIds& ids, int hour, int minute) {
    const auto shown = shown_time(dialog, ids);
    ASSERT_TRUE(shown) << "a list of control " << ids.on << " has no selection";
    const ListedTime expected = listed(hour, minute, twelve_hour_clock(dialog));
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

    // The minute may turn while the dialog is worked; then the start is set once more.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        if (now.wSecond >= 40) {
            const WORD minute = now.wMinute;
            ASSERT_TRUE(poll_until(
                [&] {
                    GetLocalTime(&now);
                    return now.wMinute != minute;
                },
                30s, 200ms));
        }
        HWND dialog = nullptr;
        ASSERT_TRUE(open(kSynchronizedStart, kSyncTitle, &dialog));
        ASSERT_TRUE(set_checked(dialog, kStart.on, true));
        ASSERT_TRUE(poll_until([&] { return item_enabled(dialog, kStart.hour); }, kWaitBound));
        ASSERT_TRUE(choose_time(dialog, kStart, now.wHour, now.wMinute));
        ASSERT_TRUE(set_checked(dialog, kSyncLog, false));
        ASSERT_TRUE(leave(dialog, IDOK));
        started = static_cast<bool>(
            brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: ON (00:00:01.000)"));
        SYSTEMTIME after{};
        GetLocalTime(&after);
        if (!started) {
            ASSERT_NE(after.wMinute, now.wMinute) << "monitoring did not start in its minute";
        }
    }
    ASSERT_TRUE(started);
    const auto item = monitoring_item();
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->checked);
    EXPECT_TRUE(item->grayed);
}

} // namespace
} // namespace brixtel::e2e
