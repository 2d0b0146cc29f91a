// The pictures of the user guide, taken of the real program as a user works it: both loops
// served by the simulator, tags from comma-separated databases, saved tag lists. Each picture
// is a window cut out of the screen and saved as <artifacts>\guide\<name>.bmp (the runner makes
// PNG files of them; scripts/make-guide-images.sh copies them into docs/images). Each test
// checks that the window shows what its picture is meant to show before taking it.
#include "tests/e2e/driver/database_files.h"
#include "tests/e2e/driver/draw_recorder.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/loop_setup.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/remote_controls.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/tag_lists.h"
#include "tests/e2e/driver/tag_lookup.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr UINT kSetUpdateInterval = 40011;
constexpr UINT kAbout = 40016;
constexpr UINT kSignificantDigits = 40021;
// Controls the pictures are checked by.
constexpr int kIntervalSeconds = 1082;
constexpr int kAboutVersion = 1202;
constexpr int kSigDigNoLimit = 1212;
constexpr int kLogPastData = 1043;
constexpr int kLogNewData = 1044;
constexpr int kLogPath = 1154;
constexpr int kLogOptions = 1160;
constexpr int kOptionsCurrentFile = 1167;
constexpr int kAlertDontShow = 1147;
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);

// Folders a reader of the guide would recognise, in the run's own Wine prefix.
constexpr wchar_t kPlantFolder[] = L"C:\\Plant";
constexpr wchar_t kDatabaseFolder[] = L"C:\\Plant\\Databases";
const std::wstring kUnit1 = std::wstring(kDatabaseFolder) + L"\\UNIT1.CSV";
const std::wstring kUnit2 = std::wstring(kDatabaseFolder) + L"\\UNIT2.CSV";

// Addresses the simulator's built-in plant answers with live values: loop 1 PCU 2 on one
// server, loop 2 on the other.
const std::vector<DatabaseRecord> kUnit1Records = {
    {L"TI-101", 1, 2, 5, 100},      {L"LIC-102", 1, 2, 5, 101},   {L"FQ-103", 1, 2, 5, 102},
    {L"PUMP-STATUS", 1, 2, 5, 103}, {L"FEED-PUMP", 1, 2, 5, 104}, {L"PI-105", 1, 2, 5, 105}};
const std::vector<DatabaseRecord> kUnit2Records = {{L"PT-201", 2, 1, 1, 1},
                                                   {L"SC-202", 2, 1, 1, 2},
                                                   {L"XV-203", 2, 1, 1, 3},
                                                   {L"FEED-PUMP", 2, 1, 1, 4}};

// A saved list entry of a database record.
std::wstring list_entry(const DatabaseRecord& record, const std::wstring& database) {
    return L"Module " + std::to_wstring(record.loop) + L"," + std::to_wstring(record.pcu) + L"," +
           std::to_wstring(record.module) + L" Block " + std::to_wstring(record.block) + L" -- " +
           record.tag + L" -- " + database;
}

std::vector<std::wstring> entries(const std::vector<DatabaseRecord>& records,
                                  const std::wstring& database) {
    std::vector<std::wstring> out;
    for (const DatabaseRecord& record : records)
        out.push_back(list_entry(record, database));
    return out;
}

std::vector<std::wstring> joined(std::vector<std::wstring> first,
                                 const std::vector<std::wstring>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::wstring kOverview = L"Plant overview";
const std::vector<SavedList> kSavedLists = {
    {kOverview, joined(entries({kUnit1Records[0], kUnit1Records[1], kUnit1Records[2]}, kUnit1),
                       entries({kUnit2Records[0], kUnit2Records[2]}, kUnit2))},
    {L"Loop 2 drives", entries({kUnit2Records[0], kUnit2Records[1], kUnit2Records[2]}, kUnit2)},
    {L"Pump house", entries({kUnit1Records[3], kUnit1Records[4], kUnit1Records[5]}, kUnit1)},
};

// <artifacts>\guide, made when missing; empty without an artefacts folder.
std::wstring guide_folder() {
    const wchar_t* artifacts = _wgetenv(L"BRIXTEL_E2E_ARTIFACTS");
    if (!artifacts || !*artifacts)
        return {};
    const std::wstring folder = std::wstring(artifacts) + L"\\guide";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder;
}

AssertionResult save_picture(HWND window, std::wstring_view name) {
    const std::wstring folder = guide_folder();
    if (folder.empty())
        return AssertionFailure() << "no artefacts folder (BRIXTEL_E2E_ARTIFACTS) for "
                                  << narrow(name);
    // A window the user works on is the active one; its caption shows it. Left inactive (the
    // suite has no window manager to activate it), the picture is still worth keeping.
    poll_until(
        [&] {
            if (GetForegroundWindow() == window)
                return true;
            SetForegroundWindow(window);
            return false;
        },
        2s, 50ms);
    const std::wstring path = folder + L"\\" + std::wstring(name) + L".bmp";
    if (!save_window_screenshot(window, path))
        return AssertionFailure() << "no picture of \"" << narrow(window_text(window)) << "\" as "
                                  << narrow(path);
    return AssertionSuccess();
}

// The data rows of an Export View paint (those below the four header lines), each left to right.
std::vector<std::vector<DrawnText>> export_rows(const Drawing& shown) {
    std::vector<std::vector<DrawnText>> rows;
    const DrawnText* block = shown.find(L"Block");
    const DrawnText* tag = shown.find(L"Tag");
    if (!block || !tag || tag->y <= block->y)
        return rows;
    const int first_row = block->y + 4 * (tag->y - block->y);
    for (int y : shown.rows())
        if (y >= first_row)
            rows.push_back(shown.row(y));
    return rows;
}

class GuideImagesTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        ASSERT_TRUE(documents.redirect());
        remove_folder_tree(kPlantFolder);
        ASSERT_TRUE(CreateDirectoryW(kPlantFolder, nullptr));
        ASSERT_TRUE(CreateDirectoryW(kDatabaseFolder, nullptr));
        ASSERT_TRUE(write_csv_database(kUnit1, kUnit1Records));
        ASSERT_TRUE(write_csv_database(kUnit2, kUnit2Records));
        ASSERT_TRUE(store_database_files({kUnit1, kUnit2}));
        ASSERT_TRUE(store_tag_lists(kSavedLists, kOverview));
        ASSERT_TRUE(store_update_interval(500));
    }

    void TearDown() override {
        recorder.detach();
        BrixtelTest::TearDown();
        remove_folder_tree(kPlantFolder);
    }

    // Two simulators, one a loop, stored as the loop entries the program connects at start.
    void serve_both_loops() {
        ASSERT_TRUE(loop1.start_on_free_port(&loop1_port));
        ASSERT_TRUE(loop2.start_on_free_port(&loop2_port));
        ASSERT_TRUE(store_loop_entries({L"1.2 " + std::to_wstring(loop1_port) + L" 127.0.0.1",
                                        L"2 " + std::to_wstring(loop2_port) + L" 127.0.0.1"}));
    }

    void launch() {
        ASSERT_TRUE(brixtel.launch());
        ASSERT_TRUE(
            poll_until([&] { return brixtel.title() == L"Brixtel - " + kOverview; }, kWaitBound))
            << "title \"" << narrow(brixtel.title()) << "\"";
    }

    // Repaints the main window until what it shows satisfies `wanted`.
    AssertionResult wait_until_shown(const std::function<bool(const Drawing&)>& wanted,
                                     Drawing* shown) {
        std::string failure;
        if (poll_until(
                [&] {
                    const AssertionResult painted = recorder.repaint(shown);
                    if (!painted)
                        failure = painted.message();
                    return painted && wanted(*shown);
                },
                kWaitBound, 200ms))
            return AssertionSuccess();
        return AssertionFailure() << "not shown within " << describe(kWaitBound) << ". " << failure
                                  << "\nLast paint:\n"
                                  << shown->describe();
    }

    DocumentsFolder documents;
    ZandorSim loop1;
    ZandorSim loop2;
    int loop1_port = 0;
    int loop2_port = 0;
    DrawRecorder recorder;
};

// ---- The main window -----------------------------------------------------------------------

TEST_F(GuideImagesTest, MainWindowInBothViews) {
    serve_both_loops();
    ASSERT_FALSE(HasFatalFailure());
    launch();
    ASSERT_FALSE(HasFatalFailure());
    // Wide enough for every column of the list.
    ASSERT_TRUE(
        SetWindowPos(brixtel.main_window(), nullptr, 0, 0, 1160, 440, SWP_NOMOVE | SWP_NOZORDER));
    ASSERT_TRUE(recorder.attach(brixtel.main_window()));
    ASSERT_TRUE(loop1.wait_for_request("connstat"));
    ASSERT_TRUE(loop2.wait_for_request("connstat"));
    ASSERT_TRUE(brixtel.post_command(kMonitoringCommand));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: ON (00:00:00.500)"));

    // Several finished cycles with a value from both loops in every column.
    const std::size_t points = kSavedLists[0].entries.size();
    const auto all_answered = [&](const std::vector<DrawnText>& row) {
        if (row.size() != points + 2)
            return false;
        for (const DrawnText& cell : row)
            if (cell.text.empty() || cell.text == L"MISSING" || cell.text_color != kGreen)
                return false;
        return true;
    };
    Drawing shown;
    ASSERT_TRUE(wait_until_shown(
        [&](const Drawing& d) {
            const auto rows = export_rows(d);
            std::size_t answered = 0;
            for (const auto& row : rows)
                answered += all_answered(row) ? 1 : 0;
            return answered >= 6;
        },
        &shown));
    EXPECT_EQ(shown.row_texts(shown.find(L"Tag")->y),
              (std::vector<std::wstring>{L"Tag", L"TI-101", L"LIC-102", L"FQ-103", L"PT-201",
                                         L"XV-203"}));
    EXPECT_TRUE(save_picture(brixtel.main_window(), L"main-export-view"));

    ASSERT_TRUE(brixtel.post_command(kDebugViewCommand));
    ASSERT_TRUE(answer_message(brixtel, L"Switching Views", L"Yes"));
    // Requests in blue and answers in green, from both loops.
    ASSERT_TRUE(wait_until_shown(
        [](const Drawing& d) {
            bool sent = false, loop1_answer = false, loop2_answer = false;
            for (const DrawnText& t : d.texts) {
                sent = sent || (t.text_color == kBlue &&
                                t.text.find(L" read output ") != std::wstring::npos);
                if (t.text_color == kGreen) {
                    loop1_answer =
                        loop1_answer || t.text.find(L" read output 1 02 05 ") != std::wstring::npos;
                    loop2_answer =
                        loop2_answer || t.text.find(L" read output 2 01 01 ") != std::wstring::npos;
                }
            }
            return sent && loop1_answer && loop2_answer && !d.find(L"Block");
        },
        &shown));
    EXPECT_TRUE(save_picture(brixtel.main_window(), L"main-debug-view"));
}

// ---- Live Loop Setup -----------------------------------------------------------------------

TEST_F(GuideImagesTest, LiveLoopSetupWithBothLoopsConnected) {
    serve_both_loops();
    ASSERT_FALSE(HasFatalFailure());
    launch();
    ASSERT_FALSE(HasFatalFailure());
    LoopSetupDialog setup(brixtel);
    ASSERT_TRUE(setup.open());
    const auto ticked = [](const LoopLeaf& leaf) { return leaf.check == 2; };
    LoopLeaf leaf;
    ASSERT_TRUE(setup.wait_for_leaf(L"Loop 1", L"PCU 2", L"127.0.0.1", loop1_port, &leaf, ticked));
    ASSERT_TRUE(
        setup.wait_for_leaf(L"Loop 2", L"PCU All", L"127.0.0.1", loop2_port, &leaf, ticked));
    EXPECT_TRUE(save_picture(setup.dialog(), L"live-loop-setup"));
    EXPECT_TRUE(setup.cancel());
}

// ---- Tags ----------------------------------------------------------------------------------

TEST_F(GuideImagesTest, DatabaseFilesAndTagNameLookup) {
    launch();
    ASSERT_FALSE(HasFatalFailure());
    {
        DatabaseFileDialog files;
        ASSERT_TRUE(files.open(brixtel));
        ASSERT_TRUE(files.wait_for_files({kUnit1, kUnit2}));
        // The folder of the databases, opened by its path as a user may type it.
        ASSERT_TRUE(files.type_file_name(kDatabaseFolder));
        ASSERT_TRUE(files.press_enter());
        // The folder's view is made anew when the folder changes.
        std::optional<ListRows> in_folder;
        EXPECT_TRUE(poll_until(
            [&] {
                in_folder = list_view_rows(find_child_by_class(files.window(), L"SysListView32"));
                return in_folder && in_folder->size() == 2;
            },
            kWaitBound))
            << "the folder shows " << (in_folder ? describe_rows(*in_folder) : "nothing");
        EXPECT_TRUE(save_picture(files.window(), L"database-file-names"));
        ASSERT_TRUE(files.press(IDC_DATABASE_CLOSE));
        ASSERT_TRUE(brixtel.wait_until_gone(files.window()));
    }

    // The loaded list's points, and one more found by its tag name.
    TagTranslation lookup(brixtel);
    ASSERT_TRUE(lookup.open());
    const std::size_t listed = kSavedLists[0].entries.size();
    ASSERT_TRUE(lookup.wait_for_row_count(listed));
    ASSERT_TRUE(lookup.by_tag_name());
    ListRows rows;
    ASSERT_TRUE(lookup.add_tag(L"pump-status", listed + 1, &rows));
    EXPECT_EQ(rows.back(),
              (std::vector<std::wstring>{L"Module 1,2,5 Block 103", L"PUMP-STATUS", kUnit1}));
    EXPECT_TRUE(save_picture(lookup.dialog(), L"tag-translation"));

    // FEED-PUMP is in both databases, at an address of its own in each.
    ASSERT_TRUE(lookup.look_up_tag(L"FEED-PUMP"));
    HWND choices = nullptr;
    ListRows offered;
    ASSERT_TRUE(wait_for_duplicate_choices(brixtel, &choices, &offered));
    EXPECT_EQ(offered, (ListRows{{L"Module 1,2,5 Block 104", L"FEED-PUMP", kUnit1},
                                 {L"Module 2,1,1 Block 4", L"FEED-PUMP", kUnit2}}));
    EXPECT_TRUE(save_picture(choices, L"duplicate-tag-selections"));
    ASSERT_TRUE(choose_duplicates(choices, {0}));
    ASSERT_TRUE(brixtel.wait_until_gone(choices));
    EXPECT_TRUE(lookup.wait_for_row_count(listed + 2));
}

TEST_F(GuideImagesTest, SavedTagListAndItsReview) {
    launch();
    ASSERT_FALSE(HasFatalFailure());
    TagListDialog lists(brixtel);
    ASSERT_TRUE(lists.open(TagListMode::load));
    EXPECT_EQ(lists.names(), (std::vector<std::wstring>{L"Plant overview", L"Loop 2 drives",
                                                        L"Pump house", kBlankTaglist}));
    ASSERT_TRUE(lists.select(L"Loop 2 drives"));
    EXPECT_TRUE(save_picture(lists.window(), L"tag-list-load"));

    ASSERT_TRUE(lists.press(IDC_TAG_LIST_REVIEW));
    HWND review = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(kReviewTitle, &review));
    const std::wstring text = item_text(review, IDC_TAG_REVIEW_TEXT);
    for (const std::wstring& entry : kSavedLists[1].entries)
        EXPECT_NE(text.find(entry), std::wstring::npos) << narrow(entry) << " not in\n"
                                                        << narrow(text);
    EXPECT_TRUE(save_picture(review, L"tag-review"));
    ASSERT_TRUE(click(review, IDOK));
    ASSERT_TRUE(brixtel.wait_until_gone(review));
    EXPECT_TRUE(leave_dialog(brixtel, lists.window(), IDCANCEL));
}

// ---- Dialogs of the menus --------------------------------------------------------------------

// One dialog a menu command opens: what it shows filled in, then left with Cancel.
struct MenuDialog {
    const wchar_t* picture;
    UINT command;
    const wchar_t* title;
    std::function<AssertionResult(HWND)> prepare; // fills in and checks what the picture shows
};

AssertionResult text_is(HWND dialog, int id, std::wstring_view expected) {
    const std::wstring shown = item_text(dialog, id);
    if (shown == expected)
        return AssertionSuccess();
    return AssertionFailure() << "control " << id << " shows \"" << narrow(shown)
                              << "\", expected \"" << narrow(expected) << "\"";
}

AssertionResult fill(HWND dialog, int id, std::wstring_view text) {
    if (!set_item_text(dialog, id, text))
        return AssertionFailure() << "control " << id << " does not take \"" << narrow(text)
                                  << "\"";
    return text_is(dialog, id, text);
}

AssertionResult checked(HWND dialog, int id, bool expected) {
    if (check_state(dialog, id) == std::optional<int>(expected ? BST_CHECKED : BST_UNCHECKED))
        return AssertionSuccess();
    return AssertionFailure() << "box " << id << " is not " << (expected ? "ticked" : "clear");
}

const std::vector<MenuDialog> kMenuDialogs = {
    {L"update-interval", kSetUpdateInterval, L"Update Interval",
     [](HWND d) { return text_is(d, kIntervalSeconds, L"0.500"); }},
    {L"synchronized-start", kSynchronizedStartCommand, kSyncStartTitle,
     [](HWND d) {
         if (!set_checked(d, kSyncStart.on, true))
             return AssertionFailure() << "the start box cannot be ticked";
         if (!poll_until([&] { return item_enabled(d, kSyncStart.hour); }, kWaitBound))
             return AssertionFailure() << "the start time stays disabled";
         return choose_time(d, kSyncStart, 6, 30);
     }},
    {L"export-significant-digits", kSignificantDigits, L"Set Significant Digits",
     [](HWND d) { return checked(d, kSigDigNoLimit, true); }},
    {L"import-tag-list", kImportTagListCommand, kImportTitle,
     [](HWND d) {
         if (auto filled = fill(d, IDC_IMPORT_FILE, L"C:\\Plant\\Lists\\boilers.lst"); !filled)
             return filled;
         return fill(d, IDC_IMPORT_NAME, L"Boiler house");
     }},
    {L"about", kAbout, L"About Brixtel",
     [](HWND d) {
         const std::wstring version = item_text(d, kAboutVersion);
         if (version.rfind(L"Version ", 0) == 0)
             return AssertionSuccess();
         return AssertionFailure() << "version \"" << narrow(version) << "\"";
     }},
};

TEST_F(GuideImagesTest, DialogsOfTheMenus) {
    launch();
    ASSERT_FALSE(HasFatalFailure());
    for (const MenuDialog& dialog : kMenuDialogs) {
        SCOPED_TRACE(narrow(dialog.picture));
        HWND window = nullptr;
        ASSERT_TRUE(open_dialog(brixtel, dialog.command, dialog.title, &window));
        EXPECT_TRUE(dialog.prepare(window));
        EXPECT_TRUE(save_picture(window, dialog.picture));
        ASSERT_TRUE(leave_dialog(brixtel, window, dialog.command == kAbout ? IDOK : IDCANCEL));
    }
}

// Log Data with a file of the user's, its options, and the alert that past data only leaves
// continuous logging off.
TEST_F(GuideImagesTest, LoggingDialogs) {
    launch();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Plant\\Logs", nullptr));
    HWND log_type = nullptr;
    ASSERT_TRUE(open_dialog(brixtel, kLogDataCommand, kLogTypeTitle, &log_type));
    EXPECT_TRUE(checked(log_type, kLogNewData, true));
    ASSERT_TRUE(fill(log_type, kLogPath, L"C:\\Plant\\Logs\\plant.csv"));
    EXPECT_TRUE(save_picture(log_type, L"log-type"));

    ASSERT_TRUE(click(log_type, kLogOptions));
    HWND options = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(kLoggingOptionsTitle, &options));
    EXPECT_EQ(item_text(options, kOptionsCurrentFile),
              L"C:\\Plant\\Logs\\plant_" + file_date_text() + L".CSV");
    EXPECT_TRUE(save_picture(options, L"logging-options"));
    ASSERT_TRUE(leave_dialog(brixtel, options, IDCANCEL));

    ASSERT_TRUE(set_checked(log_type, kLogNewData, false));
    ASSERT_TRUE(set_checked(log_type, kLogPastData, true));
    ASSERT_TRUE(click(log_type, IDOK));
    HWND alert = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Log Alert", &alert));
    EXPECT_TRUE(checked(alert, kAlertDontShow, false));
    EXPECT_TRUE(save_picture(alert, L"log-alert"));
    EXPECT_TRUE(leave_dialog(brixtel, alert, IDOK));
    EXPECT_TRUE(brixtel.wait_until_gone(log_type));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
}

} // namespace
} // namespace brixtel::e2e
