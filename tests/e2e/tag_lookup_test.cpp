// Tag Name Lookup as a user works it: points found by tag name in comma-separated databases or
// entered by block address, the choice among duplicates, the checks that refuse an entry, Delete
// Entry, and the list's column sorting; what the program then shows in its Export View, polls
// from the simulator and keeps in the registry.
#include "tests/e2e/driver/database_files.h"
#include "tests/e2e/driver/draw_recorder.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/tag_lists.h"
#include "tests/e2e/driver/tag_lookup.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr int kStatusConnection = 5;
constexpr wchar_t kNoTag[] = L"NO_TAG";
constexpr wchar_t kNoDatabase[] = L"NO_DATABASE";

constexpr wchar_t kTooManyPoints[] = L"Only 50 points are allowed for monitoring at one time.\n"
                                     L"Please remove a point from the current list if you wish "
                                     L"to add a new one.";
constexpr wchar_t kDuplicatesRemain[] =
    L"Duplicates still exist in your choices.  Check to make sure that each selection you have "
    L"made has a different loop, pcu, module and block number combination than any other point "
    L"you have selected.  Brixtel will not continue until these duplicates have been resolved or "
    L"you press the \"Cancel\" button.";
constexpr wchar_t kCommaOnly[] =
    L"The user description entered contains the following characters which Brixtel does not "
    L"allow:\n\ncomma (,)\n\nYou will need to modify the description to remove these characters "
    L"before Brixtel will proceed.";

using Row = std::vector<std::wstring>;

std::wstring block_text(int loop, int pcu, int module, int block) {
    return L"Module " + std::to_wstring(loop) + L"," + std::to_wstring(pcu) + L"," +
           std::to_wstring(module) + L" Block " + std::to_wstring(block);
}

// A stored list entry: "Module l,p,m Block b -- tag -- database".
std::wstring entry(const Row& row) {
    return row[0] + L" -- " + row[1] + L" -- " + row[2];
}

std::vector<std::wstring> column(const ListRows& rows, std::size_t index) {
    std::vector<std::wstring> texts;
    for (const auto& row : rows)
        texts.push_back(index < row.size() ? row[index] : L"");
    return texts;
}

// The Export View's two header lines under "Block" and "Tag", point columns only; empty when
// no header is drawn (no points).
struct ExportHeader {
    std::vector<std::wstring> blocks;
    std::vector<std::wstring> tags;
};
ExportHeader export_header(const Drawing& shown) {
    ExportHeader header;
    const DrawnText* block = shown.find(L"Block");
    const DrawnText* tag = shown.find(L"Tag");
    if (!block || !tag)
        return header;
    header.blocks = shown.row_texts(block->y);
    header.tags = shown.row_texts(tag->y);
    header.blocks.erase(header.blocks.begin());
    header.tags.erase(header.tags.begin());
    return header;
}

class TagLookupTest : public BrixtelTest {
  protected:
    void TearDown() override {
        recorder.detach();
        BrixtelTest::TearDown();
        if (!folder.empty())
            remove_folder_tree(folder);
    }

    // UNIT1.CSV and UNIT2.CSV, named in the settings in that order. PUMP-7 is in each at an
    // address of its own; SHARED is in both at the same two addresses.
    void seed_databases() {
        folder = make_test_folder(L"tag-databases");
        ASSERT_FALSE(folder.empty());
        unit1 = folder + L"\\UNIT1.CSV";
        unit2 = folder + L"\\UNIT2.CSV";
        ASSERT_TRUE(write_csv_database(unit1, {{L"FIC-101", 1, 2, 3, 100},
                                               {L"TI-20", 1, 2, 3, 20},
                                               {L"PUMP-7", 1, 2, 4, 10},
                                               {L"SHARED", 1, 2, 3, 200},
                                               {L"SHARED", 1, 2, 6, 300}}));
        ASSERT_TRUE(write_csv_database(
            unit2,
            {{L"SHARED", 1, 2, 6, 300}, {L"PUMP-7", 1, 2, 5, 20}, {L"SHARED", 1, 2, 3, 200}}));
        ASSERT_TRUE(store_database_files({unit1, unit2}));
    }

    AssertionResult monitoring_grayed(bool expected) {
        Menu menu;
        if (auto read = brixtel.read_menu(&menu); !read)
            return read;
        const MenuItem* item = menu.find(kMonitoringCommand);
        if (!item)
            return AssertionFailure() << "no Monitoring item";
        if (item->grayed != expected)
            return AssertionFailure()
                   << "Monitoring is " << (item->grayed ? "" : "not ") << "grayed";
        return AssertionSuccess();
    }

    // Repaints the main window until its Export View header satisfies `wanted`.
    template <class Wanted> AssertionResult wait_for_header(Wanted&& wanted, ExportHeader* seen) {
        Drawing shown;
        std::string failure;
        if (poll_until(
                [&] {
                    const AssertionResult painted = recorder.repaint(&shown);
                    if (!painted) {
                        failure = painted.message();
                        return false;
                    }
                    *seen = export_header(shown);
                    return wanted(*seen);
                },
                kWaitBound, 200ms))
            return AssertionSuccess();
        return AssertionFailure() << "header not as wanted. " << failure << "\nLast paint:\n"
                                  << shown.describe();
    }

    // A refusal: the box with this caption and text is answered OK and the rows stay as they
    // were. Line breaks are compared as the user sees them: the system's message formatter may
    // write a line feed as CR LF.
    void expect_refused(TagTranslation& dialog, std::wstring_view caption, std::wstring_view text) {
        const auto before = dialog.rows();
        ASSERT_TRUE(before);
        HWND box = nullptr;
        ASSERT_TRUE(brixtel.wait_for_window(caption, &box));
        const auto shown = read_message_box(box);
        ASSERT_TRUE(shown) << "the box went away before it was read";
        EXPECT_EQ(escaped(as_shown(shown->text)), escaped(as_shown(text)))
            << "as drawn: " << escaped(shown->text);
        EXPECT_TRUE(press_message_box_button(box, L"OK"));
        EXPECT_TRUE(brixtel.wait_until_gone(box));
        EXPECT_EQ(dialog.rows(), before);
    }

    // After a refusal the field to correct has the focus with its whole text selected.
    static void expect_field_to_correct(const TagTranslation& dialog, int id) {
        EXPECT_TRUE(has_focus(dialog.dialog(), id));
        EXPECT_TRUE(whole_text_selected(dialog.dialog(), id))
            << "field " << id << " holds \"" << narrow(item_text(dialog.dialog(), id)) << "\"";
    }

    std::wstring folder;
    std::wstring unit1;
    std::wstring unit2;
    DrawRecorder recorder;
};

// The simulator serves loop 1 PCU 2; monitoring runs over one stored point when the lookup adds
// a second.
TEST_F(TagLookupTest, LowerCaseTagAddsTheUpperCasePointWhichIsPolledAtOnce) {
    ZandorSim zandor;
    int port = 0;
    ASSERT_TRUE(zandor.start_on_free_port(&port));
    ASSERT_TRUE(store_loop_entries({L"1.2 " + std::to_wstring(port) + L" 127.0.0.1"}));
    seed_databases();
    ASSERT_FALSE(HasFatalFailure());
    const Row stored = {block_text(1, 2, 9, 1), kNoTag, kNoDatabase};
    ASSERT_TRUE(store_startup_tag_list(L"Plant", {entry(stored)}));
    ASSERT_TRUE(store_update_interval(500));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusConnection,
                                             L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                                 std::to_wstring(port) + L" connstat=OK"));
    ASSERT_TRUE(brixtel.post_command(kMonitoringCommand));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, L"Monitoring: ON (00:00:00.500)"));

    TagTranslation dialog(brixtel);
    ASSERT_TRUE(dialog.open());
    EXPECT_EQ(check_state(dialog.dialog(), IDC_LOOKUP_BY_BLOCK), std::optional<int>(BST_CHECKED))
        << "the dialog opens in block mode";
    EXPECT_FALSE(item_enabled(dialog.dialog(), IDC_LOOKUP_TAG_NAME));
    EXPECT_EQ(dialog.rows(), std::optional<ListRows>(ListRows{stored}));

    ASSERT_TRUE(dialog.add_tag(L"fic-101", 2));
    const Row added = {block_text(1, 2, 3, 100), L"FIC-101", unit1};
    EXPECT_EQ(dialog.rows(), std::optional<ListRows>(ListRows{stored, added}));
    EXPECT_TRUE(zandor.wait_for_request("read output 1 02 03 100"));

    // Monitoring in the Export View keeps every point.
    ASSERT_TRUE(click_list_view_row(dialog.list(), 1));
    ASSERT_TRUE(poll_until([&] { return item_enabled(dialog.dialog(), IDC_LOOKUP_DELETE_ENTRY); },
                           kWaitBound));
    ASSERT_TRUE(click(dialog.dialog(), IDC_LOOKUP_DELETE_ENTRY));
    expect_refused(dialog, L"Illegal Deletion",
                   L"No deletions allowed while monitoring in Export View");
    EXPECT_TRUE(dialog.close());
}

// Where a row sits among the offered choices; -1 when it is not offered.
int offered_at(const ListRows& offered, const Row& row) {
    const auto found = std::find(offered.begin(), offered.end(), row);
    return found == offered.end() ? -1 : static_cast<int>(found - offered.begin());
}

TEST_F(TagLookupTest, PointsFoundTwiceAreChosenAmongAndListedAddressesAreRefused) {
    seed_databases();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(brixtel.launch());
    TagTranslation dialog(brixtel);
    ASSERT_TRUE(dialog.open());

    // Two addresses, one record each: both are offered, already selected, so OK takes both.
    ASSERT_TRUE(dialog.look_up_tag(L"pump-7"));
    HWND choices = nullptr;
    ListRows offered;
    ASSERT_TRUE(wait_for_duplicate_choices(brixtel, &choices, &offered));
    const Row pump_unit1 = {block_text(1, 2, 4, 10), L"PUMP-7", unit1};
    const Row pump_unit2 = {block_text(1, 2, 5, 20), L"PUMP-7", unit2};
    EXPECT_EQ(offered, (ListRows{pump_unit1, pump_unit2}));
    ASSERT_TRUE(click(choices, IDOK));
    ASSERT_TRUE(brixtel.wait_until_gone(choices));
    ListRows rows;
    ASSERT_TRUE(dialog.wait_for_row_count(2, &rows));
    EXPECT_EQ(rows, (ListRows{pump_unit1, pump_unit2}));

    // Two addresses, two records each: every record is offered, in address order.
    ASSERT_TRUE(dialog.look_up_tag(L"Shared"));
    ASSERT_TRUE(wait_for_duplicate_choices(brixtel, &choices, &offered));
    const Row first_unit1 = {block_text(1, 2, 3, 200), L"SHARED", unit1};
    const Row first_unit2 = {block_text(1, 2, 3, 200), L"SHARED", unit2};
    const Row second_unit1 = {block_text(1, 2, 6, 300), L"SHARED", unit1};
    const Row second_unit2 = {block_text(1, 2, 6, 300), L"SHARED", unit2};
    ASSERT_EQ(offered.size(), 4u) << describe_rows(offered);
    EXPECT_EQ(column(offered, 0), (std::vector<std::wstring>{first_unit1[0], first_unit1[0],
                                                             second_unit1[0], second_unit1[0]}));
    for (const Row& row : {first_unit1, first_unit2, second_unit1, second_unit2})
        ASSERT_NE(offered_at(offered, row), -1) << describe_rows({row});

    // Both records of one address: refused, and the choice stays open.
    ASSERT_TRUE(choose_duplicates(
        choices, {offered_at(offered, first_unit1), offered_at(offered, first_unit2)}));
    ASSERT_TRUE(answer_message_box(brixtel, L"Duplicate Error", kDuplicatesRemain));
    ASSERT_TRUE(IsWindowVisible(choices)) << "the choice closed after message 284";
    // No choice at all is asked about; No goes back to the choice.
    ASSERT_TRUE(choose_duplicates(choices, {}));
    ASSERT_TRUE(answer_message_box(
        brixtel, L"No Selections",
        L"You have not made any selections.  Are you sure you want to continue?", L"No"));
    ASSERT_TRUE(IsWindowVisible(choices)) << "the choice closed after No to message 286";
    // One of each address: both are added.
    ASSERT_TRUE(choose_duplicates(
        choices, {offered_at(offered, first_unit2), offered_at(offered, second_unit1)}));
    ASSERT_TRUE(brixtel.wait_until_gone(choices));
    ASSERT_TRUE(dialog.wait_for_row_count(4, &rows));
    EXPECT_EQ(rows, (ListRows{pump_unit1, pump_unit2, first_unit2, second_unit1}));

    // Addresses already listed, by block and by tag name.
    ASSERT_TRUE(dialog.look_up_block(block_fields(1, 2, 4, 10)));
    expect_refused(dialog, L"Duplication", L"Module 1,2,4 Block 10 -- Duplicate entry");
    ASSERT_TRUE(dialog.look_up_tag(L"shared"));
    ASSERT_TRUE(wait_for_duplicate_choices(brixtel, &choices, &offered));
    ASSERT_TRUE(choose_duplicates(choices, {offered_at(offered, first_unit1)}));
    ASSERT_TRUE(brixtel.wait_until_gone(choices));
    expect_refused(dialog, L"Duplication", L"Module 1,2,3 Block 200 -- Duplicate entry");

    ASSERT_TRUE(dialog.look_up_tag(L"no-such-tag"));
    expect_refused(dialog, L"TagName Alert", L"No match found in database for tag <no-such-tag>");
    expect_field_to_correct(dialog, IDC_LOOKUP_TAG_NAME);
    EXPECT_TRUE(dialog.close());
}

TEST_F(TagLookupTest, FiftyFirstPointIsRefusedInBothModes) {
    seed_databases();
    ASSERT_FALSE(HasFatalFailure());
    std::vector<std::wstring> fifty;
    for (int block = 1000; block < 1050; ++block)
        fifty.push_back(entry({block_text(1, 2, 7, block), kNoTag, kNoDatabase}));
    ASSERT_TRUE(store_startup_tag_list(L"Full", fifty));
    ASSERT_TRUE(brixtel.launch());
    TagTranslation dialog(brixtel);
    ASSERT_TRUE(dialog.open());
    ASSERT_TRUE(dialog.wait_for_row_count(50));

    ASSERT_TRUE(dialog.look_up_tag(L"fic-101"));
    expect_refused(dialog, L"Number of Points Exceeded", kTooManyPoints);
    ASSERT_TRUE(dialog.look_up_block(block_fields(1, 2, 3, 100)));
    expect_refused(dialog, L"Number of Points Exceeded", kTooManyPoints);
    EXPECT_TRUE(dialog.close());
}

TEST_F(TagLookupTest, BlockEntriesAreCheckedBeforeAPointIsAdded) {
    ASSERT_TRUE(brixtel.launch());
    TagTranslation dialog(brixtel);
    ASSERT_TRUE(dialog.open());

    struct Refusal {
        const char* why;
        BlockFields fields;
        std::wstring caption;
        std::wstring text;
        int field_to_correct; // 0: none named
    };
    const Refusal refusals[] = {
        {"blank PCU",
         {L"1", L"", L"3", L"100", L""},
         L"Missing Field",
         L"The PCU field is blank - your entry will not be added.  Please enter a value and try "
         L"again.",
         0},
        {"comma in the description", block_fields(1, 2, 3, 100, L"north, tank"),
         L"Invalid Characters in Description", kCommaOnly, IDC_LOOKUP_DESCRIPTION},
        {"PCU 0", block_fields(1, 0, 3, 100), L"PCU Error",
         L"PCU number does not fall in the range of 1 to 250 - point not added", IDC_LOOKUP_PCU},
        {"block 65536", block_fields(1, 2, 3, 65536), L"Block Error",
         L"Block number does not fall in the range of 0 to 65535 - point not added",
         IDC_LOOKUP_BLOCK},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.why);
        ASSERT_TRUE(dialog.look_up_block(refusal.fields));
        expect_refused(dialog, refusal.caption, refusal.text);
        if (refusal.field_to_correct)
            expect_field_to_correct(dialog, refusal.field_to_correct);
    }
    ASSERT_TRUE(dialog.wait_for_row_count(0));

    // Blocks from 32000 on are asked about while the question is wanted.
    ASSERT_TRUE(dialog.look_up_block(block_fields(1, 2, 3, 32000, L"North tank")));
    ASSERT_TRUE(answer_block_check(brixtel, false, IDOK));
    ListRows rows;
    ASSERT_TRUE(dialog.wait_for_row_count(1, &rows));
    ASSERT_EQ(rows[0].size(), 3u);
    EXPECT_EQ(rows[0][0], block_text(1, 2, 3, 32000));
    EXPECT_TRUE(same_text(rows[0][1], L"North tank")) << narrow(rows[0][1]);
    EXPECT_EQ(rows[0][2], L"USER_DESCRIPTION");
    EXPECT_TRUE(is_flag(kSettingsKey, L"ShowBlkCheck", 1));

    ASSERT_TRUE(dialog.look_up_block(block_fields(1, 2, 3, 32001)));
    ASSERT_TRUE(answer_block_check(brixtel, true, IDCANCEL));
    expect_field_to_correct(dialog, IDC_LOOKUP_BLOCK);
    EXPECT_TRUE(poll_until(
        [] { return static_cast<bool>(is_flag(kSettingsKey, L"ShowBlkCheck", 0)); }, kWaitBound))
        << is_flag(kSettingsKey, L"ShowBlkCheck", 0).message();
    ASSERT_TRUE(dialog.wait_for_row_count(1));

    // No question now: the row comes without an answer.
    ASSERT_TRUE(dialog.add_block(block_fields(1, 2, 3, 32002), 2, &rows));
    EXPECT_EQ(rows[1], (Row{block_text(1, 2, 3, 32002), kNoTag, kNoDatabase}));
    EXPECT_TRUE(dialog.close());
}

TEST_F(TagLookupTest, DeleteEntryRemovesTheRowAndThePoint) {
    seed_databases();
    ASSERT_FALSE(HasFatalFailure());
    const Row fic = {block_text(1, 2, 3, 100), L"FIC-101", unit1};
    const Row free_point = {block_text(1, 2, 9, 1), kNoTag, kNoDatabase};
    ASSERT_TRUE(store_startup_tag_list(L"Plant", {entry(fic), entry(free_point)}));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(recorder.attach(brixtel.main_window()));
    ExportHeader header;
    ASSERT_TRUE(
        wait_for_header([](const ExportHeader& h) { return h.blocks.size() == 2; }, &header));
    EXPECT_EQ(header.blocks, (std::vector<std::wstring>{L"1-2-3-100", L"1-2-9-1"}));
    EXPECT_EQ(header.tags, (std::vector<std::wstring>{L"FIC-101", kNoTag}));

    TagTranslation dialog(brixtel);
    ASSERT_TRUE(dialog.open());
    ASSERT_TRUE(dialog.wait_for_row_count(2));
    EXPECT_FALSE(item_enabled(dialog.dialog(), IDC_LOOKUP_DELETE_ENTRY))
        << "Delete Entry with no row selected";
    ASSERT_TRUE(dialog.delete_row(0));
    EXPECT_EQ(dialog.rows(), std::optional<ListRows>(ListRows{free_point}));
    ASSERT_TRUE(dialog.close());
    ASSERT_TRUE(
        wait_for_header([](const ExportHeader& h) { return h.blocks.size() == 1; }, &header));
    EXPECT_EQ(header.blocks, std::vector<std::wstring>{L"1-2-9-1"});
    EXPECT_TRUE(monitoring_grayed(false));

    // The last point goes: nothing left to monitor.
    ASSERT_TRUE(dialog.open());
    ASSERT_TRUE(dialog.delete_row(0));
    ASSERT_TRUE(dialog.close());
    EXPECT_TRUE(wait_for_header([](const ExportHeader& h) { return h.blocks.empty(); }, &header));
    EXPECT_TRUE(monitoring_grayed(true));
}

TEST_F(TagLookupTest, ColumnHeaderClickSortsAndASecondClickReverses) {
    seed_databases();
    ASSERT_FALSE(HasFatalFailure());
    // Block 20 before block 100 by number, after it by text.
    const Row fic = {block_text(1, 2, 3, 100), L"FIC-101", unit1};
    const Row pump = {block_text(1, 2, 5, 20), L"PUMP-7", unit2};
    const Row ti = {block_text(1, 2, 3, 20), L"TI-20", unit1};
    const Row free_point = {block_text(1, 2, 9, 1), kNoTag, kNoDatabase};
    ASSERT_TRUE(
        store_startup_tag_list(L"Plant", {entry(pump), entry(fic), entry(free_point), entry(ti)}));
    ASSERT_TRUE(brixtel.launch());
    TagTranslation dialog(brixtel);
    ASSERT_TRUE(dialog.open());
    ASSERT_TRUE(dialog.wait_for_row_count(4));

    struct Click {
        int column;
        std::vector<std::wstring> sorted; // that column's texts, top to bottom
    };
    const Click clicks[] = {
        {1, {L"FIC-101", kNoTag, L"PUMP-7", L"TI-20"}},
        {1, {L"TI-20", L"PUMP-7", kNoTag, L"FIC-101"}},
        {0, {ti[0], fic[0], pump[0], free_point[0]}},
        {0, {free_point[0], pump[0], fic[0], ti[0]}},
        {2, {unit1, unit1, unit2, kNoDatabase}},
    };
    for (std::size_t i = 0; i < std::size(clicks); ++i) {
        SCOPED_TRACE("click " + std::to_string(i + 1) + " on column " +
                     std::to_string(clicks[i].column));
        ASSERT_TRUE(click_column_header(dialog.list(), clicks[i].column));
        // Rows move whole. A read that straddles the click can mix two orders, so a mixed
        // row only fails the test if it stays.
        const auto whole = [&](const ListRows& seen) {
            for (const auto& row : seen)
                if (!(row == fic || row == pump || row == ti || row == free_point))
                    return false;
            return true;
        };
        EXPECT_TRUE(wait_for_rows(
            dialog.list(),
            [&](const ListRows& seen) {
                return column(seen, static_cast<std::size_t>(clicks[i].column)) ==
                           clicks[i].sorted &&
                       whole(seen);
            },
            nullptr));
    }
    EXPECT_TRUE(dialog.close());
}

} // namespace
} // namespace brixtel::e2e
