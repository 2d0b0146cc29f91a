// The Database File Names dialog (command 40009) worked as a user works it: the system's
// file-open dialog with the known files listed below it, adding dBASE and comma-separated
// files (duplicates in any letter case and files the Type tool refuses are reported), removing
// a file whose points the loaded tag list holds, and damaged files that must never stop the
// program while what can be read of them is indexed.
#include "tests/e2e/driver/database_files.h"
#include "tests/e2e/driver/dde_client.h"
#include "tests/e2e/driver/draw_recorder.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;
using Status = DdeReply::Status;

constexpr UINT kMonitoring = 40012;
constexpr int kStatusMonitoring = 0;
constexpr int kStatusConnection = 5;
constexpr wchar_t kNotATagDatabase[] = L"Incorrect Database Type";

std::wstring upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The system formatter writes the text's line feeds as CR LF.
std::wstring without_returns(std::wstring text) {
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    return text;
}

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// The ASCII text as little-endian UTF-16 (every byte widened).
std::string utf16(std::string_view ascii) {
    std::string bytes;
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

class DatabaseFilesTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        dbf_folder = e2e_databases_folder();
        if (dbf_folder.empty())
            GTEST_SKIP() << "BRIXTEL_E2E_DATABASES is not set (run through scripts/run-e2e.sh)";
    }
    void TearDown() override {
        recorder.detach();
        BrixtelTest::TearDown();
    }

    std::wstring dbf(std::wstring_view name) const {
        return dbf_folder + L"\\" + std::wstring(name);
    }

    // Types the path and presses Add.
    AssertionResult add(const std::wstring& path) {
        if (AssertionResult typed = dialog.type_file_name(path); !typed)
            return typed;
        return dialog.press(IDC_DATABASE_ADD);
    }

    // Adds through the dialog: true when the file joined the list, false when the Type tool
    // refused it (its box is answered; `refusal` gets the text).
    std::optional<bool> add_and_see(const std::wstring& path, std::wstring* refusal) {
        if (!add(path))
            return std::nullopt;
        bool listed = false;
        HWND box = nullptr;
        poll_until(
            [&] {
                const auto files = dialog.listed_files();
                listed = files && std::find(files->begin(), files->end(), path) != files->end();
                box = find_top_window(brixtel.process_id(), kNotATagDatabase);
                return listed || box;
            },
            kWaitBound);
        if (listed)
            return true;
        if (box && answer_box(brixtel, kNotATagDatabase, L"OK", refusal))
            return false;
        return std::nullopt;
    }

    // The program still answers its window's messages.
    AssertionResult responsive() {
        if (!brixtel.running())
            return AssertionFailure() << "the program has ended";
        if (!send_bounded(brixtel.main_window(), WM_NULL))
            return AssertionFailure() << "the main window does not answer";
        return AssertionSuccess();
    }

    std::optional<bool> monitoring_grayed() {
        Menu menu;
        if (!brixtel.read_menu(&menu))
            return std::nullopt;
        const MenuItem* item = menu.find(kMonitoring);
        return item ? std::optional<bool>(item->grayed) : std::nullopt;
    }

    // What the main window shows after a full repaint.
    AssertionResult shown_now(Drawing* shown) {
        if (!recorder_attached) {
            if (AssertionResult attached = recorder.attach(brixtel.main_window()); !attached)
                return attached;
            recorder_attached = true;
        }
        return recorder.repaint(shown);
    }

    // One loop to the simulator, polled every 250 ms.
    void start_with_simulator() {
        ASSERT_TRUE(zandor.start_on_free_port(&port));
        ASSERT_TRUE(store_loop_entries({L"1.2 " + std::to_wstring(port) + L" 127.0.0.1"}));
        ASSERT_TRUE(store_update_interval(250));
        ASSERT_TRUE(brixtel.launch());
        ASSERT_TRUE(brixtel.wait_for_status_text(kStatusConnection,
                                                 L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                                     std::to_wstring(port) + L" connstat=OK"));
    }

    // Read requests the simulator got for an address as a request writes it ("1 02 05 100").
    std::size_t reads_of(const std::string& address) {
        std::size_t count = 0;
        for (const ZandorRequest& request : zandor.requests())
            count += request.text.find(" read output " + address) != std::string::npos ? 1 : 0;
        return count;
    }
    AssertionResult reads_go_on(const std::string& address) {
        const std::size_t before = reads_of(address);
        if (poll_until([&] { return reads_of(address) > before + 2; }, kWaitBound))
            return AssertionSuccess();
        return AssertionFailure() << "no more read requests for " << address;
    }
    // While `going` is polled six more times, `stopped` is polled at most once more (a request
    // may have been on its way). Counted against a point still polled, since the Poll timer
    // may run slowly for a while under a busy message queue.
    AssertionResult polled_without(const std::string& stopped, const std::string& going) {
        const std::size_t stopped_before = reads_of(stopped);
        const std::size_t going_before = reads_of(going);
        if (!poll_until([&] { return reads_of(going) >= going_before + 6; }, kWaitBound))
            return AssertionFailure() << "read requests for " << going << " do not go on";
        const std::size_t more = reads_of(stopped) - stopped_before;
        if (more > 1)
            return AssertionFailure() << more << " more read requests for " << stopped;
        return AssertionSuccess();
    }

    std::wstring dbf_folder;
    ZandorSim zandor;
    int port = 0;
    DatabaseFileDialog dialog;
    DrawRecorder recorder;
    bool recorder_attached = false;
};

// ---- The dialog ----------------------------------------------------------------------------

TEST_F(DatabaseFilesTest, ShowsTheKnownFilesBelowTheStandardControls) {
    const std::vector<std::wstring> files{dbf(L"plant.dbf"), dbf(L"second.dbf")};
    ASSERT_TRUE(store_database_files(files));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(dialog.open(brixtel));

    EXPECT_TRUE(dialog.wait_for_files(files));
    EXPECT_EQ(dialog.selected_index(), std::optional<int>(0));
    EXPECT_TRUE(has_focus(dialog.controls(), IDC_DATABASE_FILE_LIST));
    EXPECT_FALSE(item_visible(dialog.window(), IDOK)) << dialog.describe();
    EXPECT_FALSE(item_visible(dialog.window(), IDCANCEL)) << dialog.describe();
    for (int button : {IDC_DATABASE_ADD, IDC_DATABASE_DELETE, IDC_DATABASE_CLOSE})
        EXPECT_TRUE(item_visible(dialog.controls(), button)) << button;

    // The program's part sits under the file-name box.
    HWND name_box = dialog.file_name_box();
    ASSERT_TRUE(name_box) << dialog.describe();
    RECT name{}, list{};
    GetWindowRect(name_box, &name);
    GetWindowRect(GetDlgItem(dialog.controls(), IDC_DATABASE_FILE_LIST), &list);
    EXPECT_GT(list.top, name.bottom);
    // A picture for a reader, once the dialog has painted itself whole.
    RedrawWindow(dialog.window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    save_artifact_screenshot(L"database-files-dialog");

    ASSERT_TRUE(dialog.press(IDC_DATABASE_CLOSE));
    EXPECT_TRUE(brixtel.wait_until_gone(dialog.window()));
    EXPECT_TRUE(responsive());
}

TEST_F(DatabaseFilesTest, AddsDbaseAndCsvFilesAndRefusesDuplicatesAndOtherFiles) {
    ScratchFolder scratch(L"brixtel database files");
    const std::wstring csv =
        scratch.write(L"Boilers.csv", "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\nBLR-1,1,2,5,100\r\n");
    const std::wstring not_tags = scratch.write(L"notes.csv", "DATE,TEXT\r\n1.1.2024,boiler\r\n");
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(dialog.open(brixtel));
    EXPECT_TRUE(dialog.wait_for_files({}));

    ASSERT_TRUE(add(dbf(L"plant.dbf")));
    ASSERT_TRUE(dialog.wait_for_files({dbf(L"plant.dbf")}));
    ASSERT_TRUE(add(csv));
    ASSERT_TRUE(dialog.wait_for_files({dbf(L"plant.dbf"), csv}));
    EXPECT_EQ(stored_database_files(), (std::vector<std::wstring>{dbf(L"plant.dbf"), csv}));

    const struct {
        const char* what;
        std::wstring typed;
        const wchar_t* caption;
        std::wstring text;
    } refusals[] = {
        {"the same file in capitals", upper(csv), L"Duplication",
         upper(csv) + L" --Duplicate database file"},
        {"an empty name", L"", L"Database Addition", L"No file has been selected to be added"},
        {"a file that is no tag database", not_tags, kNotATagDatabase,
         L"The selected database:\n\n <" + not_tags +
             L"> \n\n is not a tag database.\n\nThe database must be a tag database in order to "
             L"be added to the list.\nPlease check your database or make another selection."},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        ASSERT_TRUE(add(refusal.typed));
        std::wstring text;
        ASSERT_TRUE(answer_box(brixtel, refusal.caption, L"OK", &text));
        EXPECT_EQ(without_returns(text), refusal.text) << narrow(text);
        // The dialog stays, Add can be pressed again, and nothing was added.
        EXPECT_TRUE(poll_until([&] { return item_enabled(dialog.controls(), IDC_DATABASE_ADD); },
                               kWaitBound));
        EXPECT_EQ(dialog.listed_files(), (std::vector<std::wstring>{dbf(L"plant.dbf"), csv}));
    }
    EXPECT_EQ(stored_database_files(), (std::vector<std::wstring>{dbf(L"plant.dbf"), csv}));

    // Enter in the file-name box adds the file and ends the dialog.
    ASSERT_TRUE(dialog.type_file_name(dbf(L"second.dbf")));
    ASSERT_TRUE(dialog.press_enter());
    ASSERT_TRUE(brixtel.wait_until_gone(dialog.window()));
    EXPECT_EQ(stored_database_files(),
              (std::vector<std::wstring>{dbf(L"plant.dbf"), csv, dbf(L"second.dbf")}));

    // A known file accepted that way is not reported: the dialog just ends.
    ASSERT_TRUE(dialog.open(brixtel));
    EXPECT_TRUE(dialog.wait_for_files({dbf(L"plant.dbf"), csv, dbf(L"second.dbf")}));
    ASSERT_TRUE(dialog.type_file_name(upper(dbf(L"plant.dbf"))));
    ASSERT_TRUE(dialog.press_enter());
    ASSERT_TRUE(brixtel.wait_until_gone(dialog.window()));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
    EXPECT_EQ(stored_database_files(),
              (std::vector<std::wstring>{dbf(L"plant.dbf"), csv, dbf(L"second.dbf")}));
}

TEST_F(DatabaseFilesTest, RemovingAFileDetachesTheListsPointsOfItAlone) {
    const std::wstring plant = dbf(L"plant.dbf");
    const std::wstring second = dbf(L"second.dbf");
    ASSERT_TRUE(store_database_files({plant, second}));
    ASSERT_TRUE(
        store_startup_tag_list(L"Plant", {L"Module 1,2,5 Block 100 -- FIC-101 -- " + plant,
                                          L"Module 1,2,9 Block 17 -- FIC-202 -- " + second,
                                          L"Module 1,2,5 Block 101 -- TIC-102 -- " + plant}));
    ASSERT_TRUE(brixtel.launch());
    Drawing shown;
    ASSERT_TRUE(shown_now(&shown));
    for (const wchar_t* column : {L"1-2-5-100", L"1-2-9-17", L"1-2-5-101"})
        EXPECT_TRUE(shown.find(column)) << narrow(column) << "\n" << shown.describe();

    // Not while monitoring fills the Export View.
    ASSERT_TRUE(brixtel.post_command(kMonitoring));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: ON (00:00:01.000)"));
    ASSERT_TRUE(dialog.open(brixtel));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_DELETE));
    std::wstring text;
    ASSERT_TRUE(answer_box(brixtel, L"Illegal Deletion", L"OK", &text));
    EXPECT_EQ(text, L"No deletions allowed while monitoring in Export View");
    EXPECT_EQ(dialog.listed_files(), (std::vector<std::wstring>{plant, second}));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_CLOSE));
    ASSERT_TRUE(brixtel.wait_until_gone(dialog.window()));
    ASSERT_TRUE(brixtel.post_command(kMonitoring));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: OFF (00:00:01.000)"));

    // Answered No, the file stays.
    ASSERT_TRUE(dialog.open(brixtel));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_DELETE));
    ASSERT_TRUE(answer_box(brixtel, L"Database File Deletion", L"No", &text));
    EXPECT_EQ(text, L"Deleting this file will delete all associated tags. \nDo you wish to "
                    L"continue?");
    EXPECT_EQ(dialog.listed_files(), (std::vector<std::wstring>{plant, second}));

    // Yes: the file goes from the list and the registry, its two points from the columns; the
    // other file keeps its number, so its point keeps its column.
    ASSERT_TRUE(dialog.select(0));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_DELETE));
    ASSERT_TRUE(answer_box(brixtel, L"Database File Deletion", L"Yes"));
    ASSERT_TRUE(dialog.wait_for_files({second}));
    EXPECT_EQ(dialog.selected_index(), std::optional<int>(0));
    EXPECT_EQ(stored_database_files(), (std::vector<std::wstring>{second}));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_CLOSE));
    ASSERT_TRUE(brixtel.wait_until_gone(dialog.window()));
    ASSERT_TRUE(shown_now(&shown));
    EXPECT_TRUE(shown.find(L"1-2-9-17")) << shown.describe();
    EXPECT_FALSE(shown.find(L"1-2-5-100")) << shown.describe();
    EXPECT_FALSE(shown.find(L"1-2-5-101")) << shown.describe();
    EXPECT_EQ(monitoring_grayed(), std::optional<bool>(false));

    // The last point goes with the last file, and Monitoring grays.
    ASSERT_TRUE(dialog.open(brixtel));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_DELETE));
    ASSERT_TRUE(answer_box(brixtel, L"Database File Deletion", L"Yes"));
    ASSERT_TRUE(dialog.wait_for_files({}));
    EXPECT_EQ(stored_database_files(), std::vector<std::wstring>{});
    // With nothing left to select.
    ASSERT_TRUE(dialog.press(IDC_DATABASE_DELETE));
    ASSERT_TRUE(answer_box(brixtel, L"Error", L"OK", &text));
    EXPECT_EQ(text, L"No item has been selected for deletion");
    ASSERT_TRUE(dialog.press(IDC_DATABASE_CLOSE));
    ASSERT_TRUE(brixtel.wait_until_gone(dialog.window()));
    ASSERT_TRUE(shown_now(&shown));
    EXPECT_FALSE(shown.find(L"1-2-9-17")) << shown.describe();
    EXPECT_EQ(monitoring_grayed(), std::optional<bool>(true));
}

// In the Debug View a file may go while monitoring runs: its points stop being polled, the
// other file's go on.
TEST_F(DatabaseFilesTest, RemovingAFileWhileMonitoringStopsPollingItsPoints) {
    const std::wstring plant = dbf(L"plant.dbf");
    const std::wstring second = dbf(L"second.dbf");
    ASSERT_TRUE(store_database_files({plant, second}));
    ASSERT_TRUE(
        store_startup_tag_list(L"Plant", {L"Module 1,2,5 Block 100 -- FIC-101 -- " + plant,
                                          L"Module 1,2,9 Block 17 -- FIC-202 -- " + second}));
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView", {1}));
    start_with_simulator();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(brixtel.post_command(kMonitoring));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: ON (00:00:00.250)"));
    ASSERT_TRUE(reads_go_on("1 02 05 100"));

    ASSERT_TRUE(dialog.open(brixtel));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_DELETE));
    ASSERT_TRUE(answer_box(brixtel, L"Database File Deletion", L"Yes"));
    ASSERT_TRUE(dialog.wait_for_files({second}));
    ASSERT_TRUE(dialog.press(IDC_DATABASE_CLOSE));
    ASSERT_TRUE(brixtel.wait_until_gone(dialog.window()));

    EXPECT_TRUE(polled_without("1 02 05 100", "1 02 09 17"));
    EXPECT_EQ(brixtel.status_text(kStatusMonitoring),
              std::optional<std::wstring>(L"Monitoring: ON (00:00:00.250)"));
    EXPECT_EQ(monitoring_grayed(), std::optional<bool>(false));
}

// ---- Damaged files -------------------------------------------------------------------------

class DamagedDatabaseFilesTest : public DatabaseFilesTest {
  protected:
    void SetUp() override {
        DatabaseFilesTest::SetUp();
        if (IsSkipped())
            return;
        // A 1 MB line between two good rows.
        std::string long_line = "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\nLNG-1,1,2,5,160\r\n";
        long_line.append(1 << 20, 'x');
        long_line += "\r\nLNG-2,1,2,5,161\r\n";
        // UTF-16 with byte-order marks of both orders inside the text.
        const std::string marks = "\xFF\xFE" + utf16("TAGNAME,LOOP,PCU,MODULE,BLOCK\r\nB") +
                                  "\xFF\xFE" + utf16("OM-1,1,2,5,170\r\nBOM-2,1,2,") + "\xFE\xFF" +
                                  utf16("5,171\r\n");
        // Bytes of every value, NULs and line feeds among them.
        std::string binary;
        unsigned seed = 12345;
        for (int i = 0; i < 8192; ++i) {
            seed = seed * 1103515245u + 12345u;
            binary += static_cast<char>(seed >> 16);
        }
        cases = {
            {dbf(L"truncated-header.dbf"), true, {}, {"1 02 05 150"}},
            {dbf(L"overcount.dbf"),
             false,
             {{L"OVR-1", "1 02 05 120"}, {L"OVR-3", "1 02 05 122"}},
             {}},
            {dbf(L"no-terminator.dbf"), false, {{L"NOT-2", "1 02 05 131"}}, {}},
            {dbf(L"descriptors-only.dbf"), false, {}, {"1 02 05 140"}},
            {scratch.write(L"long line.csv", long_line),
             false,
             {{L"LNG-1", "1 02 05 160"}, {L"LNG-2", "1 02 05 161"}},
             {}},
            {scratch.write(L"stray marks.csv", marks),
             false,
             {{L"BOM-1", "1 02 05 170"}, {L"BOM-2", "1 02 05 171"}},
             {}},
            {scratch.write(L"binary.csv", binary), true, {}, {}},
        };
    }

    // A hot link named by each readable tag makes the program poll the tag's address: the
    // record was indexed with it. Addresses of the damaged parts are never polled.
    void expect_indexed(bool refused_files_too) {
        DdeClient client;
        ASSERT_TRUE(client.ready());
        std::unique_ptr<DdeConversation> output;
        ASSERT_TRUE(client.connect(L"Brixtel", L"Output", &output));
        for (const Case& c : cases) {
            if (c.refused && !refused_files_too)
                continue;
            for (const auto& [tag, address] : c.indexed) {
                ASSERT_EQ(output->start_advise(tag, CF_TEXT).status, Status::acknowledged)
                    << narrow(tag);
                EXPECT_TRUE(pump_until([&] { return reads_of(address) > 0; }, kWaitBound))
                    << narrow(tag) << " of " << narrow(c.path) << " is not polled";
            }
        }
        for (const Case& c : cases)
            for (const std::string& address : c.never_polled)
                EXPECT_EQ(reads_of(address), 0u) << address;
        output->disconnect();
    }

    struct Case {
        std::wstring path;
        bool refused = false; // by the Type tool, when added through the dialog
        std::vector<std::pair<std::wstring, std::string>> indexed; // tag, polled address
        std::vector<std::string> never_polled;
    };
    ScratchFolder scratch{L"brixtel damaged databases"};
    std::vector<Case> cases;
};

TEST_F(DamagedDatabaseFilesTest, AddedThroughTheDialogTheyAreReadAsFarAsTheyGo) {
    start_with_simulator();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(dialog.open(brixtel));
    std::vector<std::wstring> added;
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.path));
        std::wstring refusal;
        const std::optional<bool> listed = add_and_see(c.path, &refusal);
        ASSERT_TRUE(listed.has_value())
            << "neither added nor refused; " << brixtel.describe_windows();
        EXPECT_EQ(*listed, !c.refused);
        if (!*listed)
            EXPECT_TRUE(contains(refusal, L"<" + c.path + L">")) << narrow(refusal);
        else
            added.push_back(c.path);
        ASSERT_TRUE(responsive());
    }
    EXPECT_EQ(stored_database_files(), added);
    ASSERT_TRUE(dialog.press(IDC_DATABASE_CLOSE));
    ASSERT_TRUE(brixtel.wait_until_gone(dialog.window()));
    expect_indexed(false);
    EXPECT_TRUE(responsive());
}

// Stored files are read at start-up without asking the Type tool.
TEST_F(DamagedDatabaseFilesTest, StoredTheyAreReadAtStartUpAsFarAsTheyGo) {
    std::vector<std::wstring> paths;
    for (const Case& c : cases)
        paths.push_back(c.path);
    ASSERT_TRUE(store_database_files(paths));
    start_with_simulator();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: OFF (00:00:00.250)"));
    expect_indexed(true);
    EXPECT_TRUE(responsive());
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

} // namespace
} // namespace brixtel::e2e
