// The two views as a user sees them, read from what the program itself draws: Export View
// rows of the simulator's values under the header, Debug View traffic in blue and green,
// "MISSING", cancels and Simulation mode, the fixed header while rows scroll, the view switch
// and its question, the monitoring status text, the window's smallest size, and closing.
#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/draw_recorder.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr UINT kMonitoring = 40012;
constexpr UINT kDebugView = 40014;
constexpr UINT kExportView = 40015;
constexpr UINT kLoadTagList = 40018;
constexpr UINT kDeleteTagList = 40020;
constexpr UINT kSynchronizedStart = 40025;
constexpr int kStatusMonitoring = 0;
constexpr int kStatusConnection = 5;
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr wchar_t kSwitchQuestion[] = L"Switching views will result in the clearing of any data "
                                      L"already collected.  Do you wish to continue?";

std::wstring list_entry(const std::wstring& module, int block) {
    return L"Module " + module + L" Block " + std::to_wstring(block) + L" -- NO_TAG -- NO_DATABASE";
}

// The stored DebugView flag.
std::optional<std::vector<uint8_t>> view_flag(bool debug_view) {
    return std::vector<uint8_t>{static_cast<uint8_t>(debug_view ? 1 : 0)};
}

bool looks_like_time(const std::wstring& text) {
    return text.size() >= 12 && text.find(L':') != std::wstring::npos &&
           text.find(L'.') != std::wstring::npos;
}

// The Export View's layout, read off the header the program drew.
struct ExportLayout {
    int line_height = 0;
    int block_row = 0;
    int first_row = 0; // top of the first data row
};

std::optional<ExportLayout> export_layout(const Drawing& shown) {
    const DrawnText* block = shown.find(L"Block");
    const DrawnText* tag = shown.find(L"Tag");
    if (!block || !tag || tag->y <= block->y)
        return std::nullopt;
    const int lh = tag->y - block->y;
    return ExportLayout{lh, block->y, block->y + 4 * lh};
}

// The data rows of an Export View paint, top to bottom, each as its texts left to right.
std::vector<std::vector<DrawnText>> export_rows(const Drawing& shown) {
    std::vector<std::vector<DrawnText>> rows;
    const auto layout = export_layout(shown);
    if (!layout)
        return rows;
    for (int y : shown.rows())
        if (y >= layout->first_row)
            rows.push_back(shown.row(y));
    return rows;
}

class ViewsTest : public BrixtelTest {
  protected:
    void TearDown() override {
        recorder.detach();
        BrixtelTest::TearDown();
    }

    // One loop entry for the simulator, a list loaded at start, and the recorder attached.
    void start(const std::vector<std::wstring>& points, DWORD interval_ms = 250,
               bool debug_view = false, std::wstring_view zandor_options = {}) {
        ASSERT_TRUE(zandor.start_on_free_port(&port, zandor_options));
        ASSERT_TRUE(store_loop_entries({L"1.2 " + std::to_wstring(port) + L" 127.0.0.1"}));
        start_with_stored_loops(points, interval_ms, debug_view);
        ASSERT_TRUE(brixtel.wait_for_status_text(kStatusConnection,
                                                 L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                                     std::to_wstring(port) + L" connstat=OK"));
    }
    void start_with_stored_loops(const std::vector<std::wstring>& points, DWORD interval_ms,
                                 bool debug_view) {
        interval = interval_ms;
        ASSERT_TRUE(store_startup_tag_list(L"Plant", points));
        ASSERT_TRUE(store_update_interval(interval_ms));
        ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView",
                                 {static_cast<uint8_t>(debug_view ? 1 : 0)}));
        ASSERT_TRUE(brixtel.launch());
        ASSERT_TRUE(recorder.attach(brixtel.main_window()));
    }

    AssertionResult switch_monitoring_on() {
        if (!brixtel.post_command(kMonitoring))
            return AssertionFailure() << "could not post the Monitoring command";
        wchar_t text[64] = {};
        swprintf(text, 64, L"Monitoring: ON (%02lu:%02lu:%02lu.%03lu)", interval / 3600000,
                 interval / 60000 % 60, interval / 1000 % 60, interval % 1000);
        return brixtel.wait_for_status_text(kStatusMonitoring, text);
    }

    // Repaints until what is shown satisfies `wanted`; `shown` keeps the last paint.
    AssertionResult wait_until_shown(const std::function<bool(const Drawing&)>& wanted,
                                     Drawing* shown, Millis bound = kWaitBound) {
        std::string failure;
        const bool seen = poll_until(
            [&] {
                const AssertionResult painted = recorder.repaint(shown);
                if (!painted) {
                    failure = painted.message();
                    return false;
                }
                return wanted(*shown);
            },
            bound, 200ms);
        if (seen)
            return AssertionSuccess();
        return AssertionFailure() << "not shown within " << describe(bound) << ". " << failure
                                  << "\nLast paint:\n"
                                  << shown->describe();
    }
    AssertionResult wait_for_export_rows(std::size_t count, Drawing* shown) {
        return wait_until_shown(
            [count](const Drawing& d) { return export_rows(d).size() >= count; }, shown);
    }

    std::optional<bool> menu_checked(UINT id) {
        Menu menu;
        if (!brixtel.read_menu(&menu))
            return std::nullopt;
        const MenuItem* item = menu.find(id);
        return item ? std::optional<bool>(item->checked) : std::nullopt;
    }

    ZandorSim zandor;
    int port = 0;
    DWORD interval = 1000;
    DrawRecorder recorder;
};

// ---- Export View ---------------------------------------------------------------------------

TEST_F(ViewsTest, ExportViewShowsOneGreenRowPerCycleUnderTheHeader) {
    // A number, a point the simulator never answers, a long string, a whole number and an
    // error code; the window is widened so that every column is inside it.
    start({list_entry(L"1,2,5", 100), list_entry(L"1,2,9", 17), list_entry(L"1,2,5", 103),
           list_entry(L"1,2,5", 104), list_entry(L"1,2,9", 1)});
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(
        SetWindowPos(brixtel.main_window(), nullptr, 0, 0, 1240, 480, SWP_NOMOVE | SWP_NOZORDER));
    ASSERT_TRUE(switch_monitoring_on());
    Drawing shown;
    ASSERT_TRUE(wait_for_export_rows(3, &shown));

    EXPECT_EQ(shown.row_texts(shown.find(L"Block")->y),
              (std::vector<std::wstring>{L"Block", L"1-2-5-100", L"1-2-9-17", L"1-2-5-103",
                                         L"1-2-5-104", L"1-2-9-1"}));
    EXPECT_EQ(
        shown.row_texts(shown.find(L"Tag")->y),
        (std::vector<std::wstring>{L"Tag", L"NO_TAG", L"NO_TAG", L"NO_TAG", L"NO_TAG", L"NO_TAG"}));
    EXPECT_EQ(shown.row_texts(shown.find(L"Time")->y),
              (std::vector<std::wstring>{L"Time", L"Last Data In"}));

    const auto rows = export_rows(shown);
    // Every row but the one being filled is a finished cycle.
    for (std::size_t r = 0; r + 1 < rows.size(); ++r) {
        const auto& row = rows[r];
        ASSERT_EQ(row.size(), 7u) << shown.describe();
        EXPECT_TRUE(looks_like_time(row[0].text)) << narrow(row[0].text);
        EXPECT_TRUE(looks_like_time(row[1].text)) << narrow(row[1].text);
        EXPECT_EQ(row[2].text, L"12.5");
        EXPECT_EQ(row[3].text, L"MISSING");
        EXPECT_EQ(row[4].text, L"Pump 3 running norm") << "a string over 20 characters shows 19";
        EXPECT_EQ(row[5].text, L"42");
        EXPECT_EQ(row[6].text, L"ERROR_105_UNDEF_BLK");
        for (const DrawnText& cell : row)
            EXPECT_EQ(cell.text_color, kGreen) << narrow(cell.text);
        // Cells sit under their headers.
        EXPECT_EQ(row[2].x, shown.find(L"1-2-5-100")->x);
        EXPECT_EQ(row[6].x, shown.find(L"1-2-9-1")->x);
    }
    save_artifact_screenshot(L"export-view");
    EXPECT_TRUE(brixtel.close());
}

TEST_F(ViewsTest, ACancelShowsCancel201InEveryColumn) {
    start({list_entry(L"1,2,5", 100), list_entry(L"1,2,5", 104)}, 1000);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring_on());
    Drawing shown;
    ASSERT_TRUE(wait_for_export_rows(1, &shown));
    ASSERT_TRUE(zandor.control("cancel now"));
    ASSERT_TRUE(wait_until_shown(
        [](const Drawing& d) {
            for (const auto& row : export_rows(d))
                if (row.size() == 4 && row[2].text == L"CANCEL_201" && row[3].text == L"CANCEL_201")
                    return true;
            return false;
        },
        &shown));
    EXPECT_TRUE(brixtel.close());
}

TEST_F(ViewsTest, SimulationModeShowsItsCountingValues) {
    ASSERT_TRUE(store_loop_entries({L"1 127.0.0.1"}));
    start_with_stored_loops({list_entry(L"1,2,5", 100), list_entry(L"1,2,5", 101)}, 250, false);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusConnection,
                                             L"Demo Halvo Monitoring Configuration in Use"));
    ASSERT_TRUE(switch_monitoring_on());
    Drawing shown;
    ASSERT_TRUE(wait_for_export_rows(4, &shown));
    const auto rows = export_rows(shown);
    // Each point answers its own counter, one more each cycle.
    double previous = -1;
    for (std::size_t r = 0; r + 1 < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), 4u) << shown.describe();
        EXPECT_EQ(rows[r][2].text, rows[r][3].text);
        const double value = std::stod(rows[r][2].text);
        EXPECT_EQ(rows[r][2].text.find(L'.'), rows[r][2].text.size() - 3) << "two decimals";
        if (previous >= 0) {
            EXPECT_EQ(value, previous + 1.0);
        }
        previous = value;
    }
    EXPECT_TRUE(brixtel.close());
}

TEST_F(ViewsTest, HeaderRowsStayWhileTheRowsScroll) {
    start({list_entry(L"1,2,5", 100)}, 100);
    ASSERT_FALSE(HasFatalFailure());
    Drawing first;
    ASSERT_TRUE(switch_monitoring_on());
    ASSERT_TRUE(wait_for_export_rows(1, &first));
    const auto layout = export_layout(first);
    ASSERT_TRUE(layout);
    RECT client{};
    ASSERT_TRUE(GetClientRect(brixtel.main_window(), &client));
    const int rows_that_fit = (client.bottom - layout->first_row) / layout->line_height;

    ASSERT_TRUE(recorder.start());
    Drawing scrolled;
    ASSERT_TRUE(poll_until([&] { return recorder.read(&scrolled) && scrolled.scrolls.size() >= 3; },
                           kWaitBound, 200ms))
        << "the rows never reached the bottom; " << rows_that_fit << " fit";
    for (const ScrolledArea& area : scrolled.scrolls) {
        ASSERT_TRUE(area.scroll) << "only the rows move, never the whole window";
        EXPECT_EQ(area.scroll->top, layout->first_row);
        // Up by whole lines: one per row a burst of answers added.
        EXPECT_LT(area.dy, 0);
        EXPECT_EQ(area.dy % layout->line_height, 0) << area.dy;
    }
    Drawing later;
    ASSERT_TRUE(recorder.repaint(&later));
    for (const wchar_t* header : {L"Block", L"Tag", L"Time", L"Last Data In", L"1-2-5-100"}) {
        ASSERT_TRUE(later.find(header)) << narrow(header);
        EXPECT_EQ(later.find(header)->y, first.find(header)->y) << narrow(header);
    }
    // Full of rows, the last perhaps still the one being filled.
    EXPECT_GE(export_rows(later).size() + 1, static_cast<std::size_t>(rows_that_fit));
    EXPECT_TRUE(brixtel.close());
}

// ---- Debug View ----------------------------------------------------------------------------

TEST_F(ViewsTest, DebugViewShowsRequestsInBlueAndAnswersInGreen) {
    start({list_entry(L"1,2,5", 100), list_entry(L"1,2,9", 1)}, 500, true);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring_on());
    Drawing shown;
    const auto has_both = [](const Drawing& d) {
        bool request = false, answer = false;
        for (const DrawnText& t : d.texts) {
            request = request || (t.text.find(L" read output 1 2 5 100") != std::wstring::npos);
            answer = answer || (t.text.find(L"ERROR 105") != std::wstring::npos);
        }
        return request && answer;
    };
    ASSERT_TRUE(wait_until_shown(has_both, &shown));
    EXPECT_FALSE(shown.find(L"Block")) << "no header in the Debug View";
    for (const DrawnText& t : shown.texts) {
        if (t.text.empty())
            continue;
        // Requests go out as "<window>,<id> read output 1 2 5 100", without leading zeros;
        // answers come back echoing the request as sent.
        const bool sent = t.text.find(L" read output 1 2 ") != std::wstring::npos &&
                          t.text.find(L'\n') == std::wstring::npos;
        const bool received = t.text.find(L" read output 1 02 ") != std::wstring::npos;
        ASSERT_TRUE(sent || received) << narrow(t.text);
        EXPECT_EQ(t.text_color, sent ? kBlue : kGreen) << narrow(t.text);
    }
    save_artifact_screenshot(L"debug-view");
    EXPECT_TRUE(brixtel.close());
}

// ---- Switching views -----------------------------------------------------------------------

TEST_F(ViewsTest, SwitchingWithRecordsAsksAndNoChangesNothing) {
    start({list_entry(L"1,2,5", 100)}, 250);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring_on());
    Drawing before;
    ASSERT_TRUE(wait_for_export_rows(2, &before));

    ASSERT_TRUE(brixtel.post_command(kDebugView));
    HWND box = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Switching Views", &box));
    const auto content = read_message_box(box);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->text, kSwitchQuestion);
    ASSERT_TRUE(press_message_box_button(box, L"No"));
    ASSERT_TRUE(brixtel.wait_until_gone(box));
    EXPECT_EQ(menu_checked(kDebugView), std::optional<bool>(false));
    EXPECT_EQ(menu_checked(kExportView), std::optional<bool>(true));
    EXPECT_EQ(read_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView"), view_flag(false));
    Drawing after;
    ASSERT_TRUE(recorder.repaint(&after));
    EXPECT_GE(export_rows(after).size(), export_rows(before).size()) << "the rows stay";

    ASSERT_TRUE(brixtel.post_command(kDebugView));
    ASSERT_TRUE(brixtel.wait_for_window(L"Switching Views", &box));
    ASSERT_TRUE(press_message_box_button(box, L"Yes"));
    ASSERT_TRUE(brixtel.wait_until_gone(box));
    EXPECT_EQ(menu_checked(kDebugView), std::optional<bool>(true));
    EXPECT_EQ(menu_checked(kExportView), std::optional<bool>(false));
    EXPECT_EQ(read_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView"), view_flag(true));
    EXPECT_TRUE(wait_until_shown(
        [](const Drawing& d) { return !d.find(L"Block") && !d.texts.empty(); }, &after));
    EXPECT_TRUE(brixtel.close());
}

TEST_F(ViewsTest, SwitchingWithoutRecordsOrToTheShownViewAsksNothing) {
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(brixtel.post_command(kExportView)); // already shown
    ASSERT_TRUE(brixtel.post_command(kDebugView));
    ASSERT_TRUE(poll_until(
        [&] {
            return read_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView") == view_flag(true);
        },
        kWaitBound));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
    EXPECT_EQ(menu_checked(kDebugView), std::optional<bool>(true));
    EXPECT_EQ(menu_checked(kExportView), std::optional<bool>(false));
}

// ---- Window --------------------------------------------------------------------------------

TEST_F(ViewsTest, MonitoringFollowsTheCommandInStatusTextAndMenu) {
    start({list_entry(L"1,2,5", 100)}, 1000);
    ASSERT_FALSE(HasFatalFailure());
    const auto grayed = [&](std::vector<UINT> ids) {
        std::vector<bool> states;
        Menu menu;
        if (!brixtel.read_menu(&menu))
            return states;
        for (UINT id : ids)
            states.push_back(menu.find(id) && menu.find(id)->grayed);
        return states;
    };
    const std::vector<UINT> list_and_sync = {kLoadTagList, kDeleteTagList, kSynchronizedStart};
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: OFF (00:00:01.000)"));
    EXPECT_EQ(grayed(list_and_sync), (std::vector<bool>{false, false, false}));

    ASSERT_TRUE(brixtel.post_command(kMonitoring));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: ON (00:00:01.000)"));
    EXPECT_EQ(menu_checked(kMonitoring), std::optional<bool>(true));
    // While monitoring runs no list can be loaded or deleted, and without a synchronized
    // start or stop time there is nothing to synchronize.
    EXPECT_EQ(grayed(list_and_sync), (std::vector<bool>{true, true, true}));

    ASSERT_TRUE(brixtel.post_command(kMonitoring));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: OFF (00:00:01.000)"));
    EXPECT_EQ(menu_checked(kMonitoring), std::optional<bool>(false));
    EXPECT_EQ(grayed(list_and_sync), (std::vector<bool>{false, false, false}));
}

TEST_F(ViewsTest, WindowDoesNotShrinkBelowItsMinimumTrackingSize) {
    ASSERT_TRUE(brixtel.launch());
    const LONG units = GetDialogBaseUnits();
    const int min_width = 60 * LOWORD(units);
    const int min_height = 5 * HIWORD(units) + GetSystemMetrics(SM_CYMENU) +
                           2 * GetSystemMetrics(SM_CYFRAME) + 4 * GetSystemMetrics(SM_CYCAPTION);
    HWND window = brixtel.main_window();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 40, 30, SWP_NOMOVE | SWP_NOZORDER));
    RECT small{};
    ASSERT_TRUE(
        poll_until([&] { return GetWindowRect(window, &small) && small.right - small.left != 720; },
                   kWaitBound));
    EXPECT_EQ(small.right - small.left, min_width);
    EXPECT_EQ(small.bottom - small.top, min_height);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER));
    RECT large{};
    ASSERT_TRUE(GetWindowRect(window, &large));
    EXPECT_EQ(large.right - large.left, 800);
}

TEST_F(ViewsTest, ClosingWhileMonitoringStopsAndExitsWithZero) {
    start({list_entry(L"1,2,5", 100)}, 250);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring_on());
    Drawing shown;
    ASSERT_TRUE(wait_for_export_rows(1, &shown));
    recorder.detach();
    DWORD exit_code = STILL_ACTIVE;
    ASSERT_TRUE(brixtel.close(&exit_code));
    EXPECT_EQ(exit_code, 0u);
    // Nothing asks the simulator anything once the program is gone.
    const std::size_t after_exit = zandor.requests().size();
    pause_for(1s);
    EXPECT_EQ(zandor.requests().size(), after_exit);
}

} // namespace
} // namespace brixtel::e2e
