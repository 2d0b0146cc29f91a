// The main window as a fresh start shows it: window, menu, status bar, and closing.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

constexpr UINT kSeparator = 0;

struct ExpectedItem {
    UINT id; // kSeparator for a separator
    const wchar_t* text;
};

struct ExpectedPopup {
    const wchar_t* title;
    std::vector<ExpectedItem> items;
};

const std::vector<ExpectedPopup> kMenuTable = {
    {L"&File",
     {{40001, L"&Set IP Address"},
      {kSeparator, L""},
      {40018, L"&Load Tag List..."},
      {40019, L"Save &Tag List..."},
      {40020, L"&Delete Tag List..."},
      {kSeparator, L""},
      {40023, L"&Export Current Tags..."},
      {40024, L"&Import Tag List..."},
      {40022, L"Save &Current Tags to Excel DDE File..."},
      {kSeparator, L""},
      {40003, L"E&xit"}}},
    {L"&View",
     {{40014, L"&Debug View"},
      {40015, L"&Export View"},
      {kSeparator, L""},
      {40027, L"&Reset all suppressed dialogs"}}},
    {L"&Tag Monitoring",
     {{40009, L"Enter &Database File Names"},
      {40010, L"Tag &Name Lookup"},
      {40011, L"Set &Update Interval"},
      {40012, L"&Monitoring"},
      {40021, L"Set Significant Digits for &Export View"},
      {40025, L"&Synchronized Start"}}},
    {L"&Logging",
     {{40013, L"&Log Data..."},
      {40026, L"&Configure Logging Options..."},
      {40028, L"Launch Windows &Explorer"}}},
    {L"&Help", {{40016, L"&About Brixtel"}}},
};

class MainWindowTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        ASSERT_TRUE(brixtel.launch());
    }
};

TEST_F(MainWindowTest, OpensAsBrixtelWindowOf720By480) {
    HWND window = brixtel.main_window();
    EXPECT_EQ(narrow(window_class(window)), "Brixtel");
    // A first start seeds the one list "List1" and loads it, which names it in the title.
    EXPECT_EQ(narrow(brixtel.title()), "Brixtel - List1");
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.right - rect.left, 720);
    EXPECT_EQ(rect.bottom - rect.top, 480);
}

TEST_F(MainWindowTest, MenuHasFivePopupsWithTheirCommandsInOrder) {
    Menu menu;
    ASSERT_TRUE(brixtel.read_menu(&menu));
    ASSERT_EQ(menu.popups.size(), kMenuTable.size());
    for (size_t p = 0; p < kMenuTable.size(); ++p) {
        const ExpectedPopup& expected = kMenuTable[p];
        const MenuItem& popup = menu.popups[p];
        SCOPED_TRACE("pop-up " + narrow(expected.title));
        EXPECT_EQ(narrow(popup.text), narrow(expected.title));
        ASSERT_EQ(popup.items.size(), expected.items.size());
        for (size_t i = 0; i < expected.items.size(); ++i) {
            const ExpectedItem& want = expected.items[i];
            const MenuItem& item = popup.items[i];
            SCOPED_TRACE("position " + std::to_string(i));
            EXPECT_EQ(item.separator, want.id == kSeparator);
            if (want.id == kSeparator)
                continue;
            EXPECT_EQ(item.id, want.id);
            EXPECT_EQ(narrow(item.text), narrow(want.text));
            EXPECT_TRUE(item.items.empty()) << "a command item, not a pop-up";
        }
    }
}

TEST_F(MainWindowTest, StartsInExportViewByDefault) {
    Menu menu;
    ASSERT_TRUE(brixtel.read_menu(&menu));
    const MenuItem* export_view = menu.find(40015);
    const MenuItem* debug_view = menu.find(40014);
    ASSERT_NE(export_view, nullptr);
    ASSERT_NE(debug_view, nullptr);
    EXPECT_TRUE(export_view->checked);
    EXPECT_FALSE(debug_view->checked);
}

TEST_F(MainWindowTest, StatusBarHasSixPartsWithFixedRightEdges) {
    ASSERT_NE(brixtel.status_bar(), nullptr) << "no status bar child window";
    const auto parts = brixtel.status_parts();
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(*parts, (std::vector<int>{165, 240, 390, 540, 615, -1}));
}

struct StatusCase {
    int part;
    const wchar_t* text;
};

TEST_F(MainWindowTest, StatusBarShowsDefaultsAfterStartUp) {
    const StatusCase cases[] = {
        {0, L"Monitoring: OFF (00:00:01.000)"},
        {1, L"Logging: OFF"},
        {2, L"Log Size: 0 MB (of 5 MB)"},
        {5, L"No Halvo Monitoring Configuration available"},
    };
    for (const StatusCase& c : cases)
        EXPECT_TRUE(brixtel.wait_for_status_text(c.part, c.text));
    // Start-up ends by refreshing the log parts: part 3 names the log file of the list the
    // first start made (dated), in the Export View.
    std::wstring log_file;
    EXPECT_TRUE(poll_until(
        [&] {
            log_file = brixtel.status_text(3).value_or(L"");
            return log_file.starts_with(L"Log File: ") && log_file.ends_with(L".CSV");
        },
        kWaitBound))
        << "part 3: " << narrow(log_file);
}

struct ViewStep {
    UINT command;
    bool debug_checked; // Export View is checked exactly when Debug View is not
};

// With nothing collected yet the views switch without a question, and choosing the view
// already shown changes nothing.
TEST_F(MainWindowTest, ViewCommandsMoveTheCheckMarkWithoutAsking) {
    const ViewStep steps[] = {
        {40015, false}, {40014, true}, {40014, true}, {40015, false}, {40014, true},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("step " + std::to_string(i) + ", command " + std::to_string(steps[i].command));
        ASSERT_TRUE(brixtel.post_command(steps[i].command));
        // The menu request is queued behind the command, so it sees the command's outcome.
        Menu menu;
        ASSERT_TRUE(brixtel.read_menu(&menu));
        const MenuItem* debug_view = menu.find(40014);
        const MenuItem* export_view = menu.find(40015);
        ASSERT_TRUE(debug_view && export_view);
        EXPECT_EQ(debug_view->checked, steps[i].debug_checked);
        EXPECT_EQ(export_view->checked, !steps[i].debug_checked);
        EXPECT_TRUE(brixtel.open_dialogs().empty())
            << "no question expected; windows: " << brixtel.describe_windows();
        // The choice is kept for the next start.
        EXPECT_TRUE(is_flag(kSettingsKey, L"DebugView", steps[i].debug_checked ? 1 : 0));
    }
}

// "Reset all suppressed dialogs" turns both notices back on in the registry.
TEST_F(MainWindowTest, ResetAllSuppressedDialogsTurnsBothNoticesOn) {
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kSettingsKey, L"ShowBlkCheck", {0}));
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kSettingsKey, L"ShowLogAlert", {0}));
    ASSERT_TRUE(brixtel.post_command(40027));
    EXPECT_TRUE(poll_until(
        [] {
            return is_flag(kSettingsKey, L"ShowBlkCheck", 1) &&
                   is_flag(kSettingsKey, L"ShowLogAlert", 1);
        },
        kWaitBound));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << "no message on success";
}

class LeavingTest : public MainWindowTest, public ::testing::WithParamInterface<UINT> {};

// WM_CLOSE from the window frame, or the Exit command of the File menu.
TEST_P(LeavingTest, EndsTheProgramWithExitCodeZero) {
    const UINT how = GetParam();
    ASSERT_TRUE(how == WM_CLOSE ? brixtel.post(WM_CLOSE) : brixtel.post_command(how));
    DWORD exit_code = STILL_ACTIVE;
    ASSERT_TRUE(brixtel.wait_for_exit(&exit_code));
    EXPECT_EQ(exit_code, 0u);
}

INSTANTIATE_TEST_SUITE_P(CloseAndExit, LeavingTest, ::testing::Values(UINT{WM_CLOSE}, UINT{40003}),
                         [](const auto& info) {
                             return info.param == WM_CLOSE ? std::string("CloseWindow")
                                                           : std::string("ExitCommand");
                         });

} // namespace
} // namespace brixtel::e2e
