// Tag list files and Excel DDE files as a user writes and reads them: the exports from the menu
// and from the Tag list dialog through the system's save dialog, and the import with its
// questions and its "Points Exceeded" list; checked by the bytes on disk and the lists the
// registry keeps.
#include "tests/e2e/driver/database_files.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/tag_lists.h"
#include "tests/e2e/driver/tag_lookup.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr char kExcelHeader[] = "Tag Information;Tag Name;Data Value\r\n";

std::wstring address(int loop, int pcu, int module, int block) {
    return L"Module " + std::to_wstring(loop) + L"," + std::to_wstring(pcu) + L"," +
           std::to_wstring(module) + L" Block " + std::to_wstring(block);
}

std::wstring untagged(int module, int block) {
    return address(1, 2, module, block) + L" -- NO_TAG -- NO_DATABASE";
}

// One line of an Excel DDE file: the address, the tag and the link to the address.
std::string excel_line(const std::wstring& where, const std::wstring& tag) {
    return narrow(where + L";" + tag + L";=Brixtel|Output!'" + where + L"'") + "\r\n";
}

std::string joined(const std::vector<std::wstring>& entries) {
    return crlf_text(entries);
}

class TagFileTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        ASSERT_TRUE(documents.redirect());
        folder = make_test_folder(L"tag-files");
        ASSERT_FALSE(folder.empty());
    }

    void TearDown() override {
        BrixtelTest::TearDown();
        if (!folder.empty())
            remove_folder_tree(folder);
    }

    std::wstring in_folder(std::wstring_view name) const {
        return folder + L"\\" + std::wstring(name);
    }

    // Writes the lines as a tag list file in the test's folder.
    std::wstring write_list_file(std::wstring_view name, const std::vector<std::wstring>& lines) {
        const std::wstring path = in_folder(name);
        EXPECT_TRUE(write_file_bytes(path, joined(lines)));
        return path;
    }

    // Posts an export command (or clicks the dialog's button), checks the name offered and
    // accepts `chosen` in the save dialog.
    void export_through(UINT command, std::wstring_view offered, std::wstring_view chosen) {
        ASSERT_TRUE(brixtel.post_command(command));
        accept_file(offered, chosen);
    }
    void accept_file(std::wstring_view offered, std::wstring_view chosen) {
        FileDialog save;
        ASSERT_TRUE(save.wait_for(brixtel));
        EXPECT_EQ(save.file_name(), offered);
        ASSERT_TRUE(save.accept(chosen));
    }

    AssertionResult wait_for_title(std::wstring_view title) {
        if (poll_until([&] { return same_text(brixtel.title(), title); }, kWaitBound))
            return AssertionSuccess();
        return AssertionFailure() << "title stayed \"" << narrow(brixtel.title()) << "\"";
    }

    void add_point(int module, int block, std::size_t rows_after) {
        TagTranslation lookup(brixtel);
        ASSERT_TRUE(lookup.open());
        ASSERT_TRUE(lookup.by_block());
        ASSERT_TRUE(lookup.add_block(block_fields(1, 2, module, block), rows_after));
        ASSERT_TRUE(lookup.close());
    }

    DocumentsFolder documents;
    std::wstring folder;
};

// With no list, the Excel DDE file holds its header alone; exports start in the default log
// folder, then in the folder of the last file written by any export.
TEST_F(TagFileTest, CurrentTagsExportToExcelDdeAndListFiles) {
    ASSERT_TRUE(store_tag_lists({}, L""));
    const std::wstring logs = documents.logs_folder();
    ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr));
    ASSERT_TRUE(brixtel.launch());

    export_through(kExcelDdeFileCommand, L"ExcelDDE.txt", L"empty.txt");
    EXPECT_TRUE(wait_for_file(logs + L"\\empty.txt", kExcelHeader));

    add_point(3, 100, 1);
    ASSERT_FALSE(HasFatalFailure());
    export_through(kExcelDdeFileCommand, L"ExcelDDE.txt", in_folder(L"tagged.txt"));
    EXPECT_TRUE(wait_for_file(in_folder(L"tagged.txt"),
                              kExcelHeader + excel_line(address(1, 2, 3, 100), L"NO_TAG")));

    export_through(kExportCurrentTagsCommand, L"BrixtelTag.lst", L"tagged.lst");
    EXPECT_TRUE(wait_for_file(in_folder(L"tagged.lst"), joined({untagged(3, 100)})));
}

// A saved list exported twice from its dialog entry: the second save dialog starts where the
// first file went. Imported again, as a new list and over it in another case, it is the same.
TEST_F(TagFileTest, ListFileExportedFromTheDialogImportsAsTheSameList) {
    const std::wstring database = in_folder(L"UNIT1.CSV");
    ASSERT_TRUE(write_csv_database(database, {{L"FIC-101", 1, 2, 3, 100}}));
    ASSERT_TRUE(store_database_files({database}));
    const std::vector<std::wstring> entries = {
        address(1, 2, 3, 100) + L" -- FIC-101 -- " + database, untagged(4, 7)};
    ASSERT_TRUE(store_tag_lists({{L"Plant", entries}}, L"Plant"));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_title(L"Brixtel - Plant"));

    TagListDialog dialog(brixtel);
    ASSERT_TRUE(dialog.open(TagListMode::load));
    ASSERT_EQ(dialog.selected_name(), L"Plant");
    ASSERT_TRUE(dialog.press(IDC_TAG_LIST_EXPORT));
    accept_file(L"Export - Plant.lst", in_folder(L"plant.lst"));
    EXPECT_TRUE(wait_for_file(in_folder(L"plant.lst"), joined(entries)));
    ASSERT_TRUE(
        poll_until([&] { return item_enabled(dialog.window(), IDC_TAG_LIST_EXPORT); }, kWaitBound));
    ASSERT_TRUE(dialog.press(IDC_TAG_LIST_EXPORT));
    accept_file(L"Export - Plant.lst", L"again.lst");
    EXPECT_TRUE(wait_for_file(in_folder(L"again.lst"), joined(entries)));

    ASSERT_TRUE(dialog.press(IDC_TAG_LIST_EXCEL_DDE_EXPORT));
    accept_file(L"ExcelDDE - Plant.txt", L"plant.txt");
    EXPECT_TRUE(wait_for_file(in_folder(L"plant.txt"),
                              kExcelHeader + excel_line(address(1, 2, 3, 100), L"FIC-101") +
                                  excel_line(address(1, 2, 4, 7), L"NO_TAG")));
    ASSERT_TRUE(dialog.press(IDCANCEL));
    ASSERT_TRUE(dialog.wait_until_closed());

    HWND import = nullptr;
    ASSERT_TRUE(start_import(brixtel, in_folder(L"plant.lst"), L"Copy", &import));
    ASSERT_TRUE(brixtel.wait_until_gone(import));
    EXPECT_TRUE(wait_for_tag_lists({{L"Plant", entries}, {L"Copy", entries}}));

    ASSERT_TRUE(start_import(brixtel, in_folder(L"again.lst"), L"COPY", &import));
    ASSERT_TRUE(answer_message(brixtel, L"Name Already Exists", L"Yes"));
    ASSERT_TRUE(brixtel.wait_until_gone(import));
    const std::vector<SavedList> lists = read_tag_lists();
    ASSERT_EQ(lists.size(), 2u) << describe_lists(lists);
    EXPECT_TRUE(same_text(lists[1].name, L"Copy")) << narrow(lists[1].name);
    EXPECT_EQ(lists[1].entries, entries);
}

// After a point is added, exporting the loaded list asks which tags are meant.
TEST_F(TagFileTest, ExportOfAChangedLoadedListAsksWhichTags) {
    const std::vector<std::wstring> saved = {untagged(3, 100)};
    ASSERT_TRUE(store_tag_lists({{L"Plant", saved}}, L"Plant"));
    ASSERT_TRUE(brixtel.launch());
    add_point(4, 10, 2);
    ASSERT_FALSE(HasFatalFailure());

    TagListDialog dialog(brixtel);
    ASSERT_TRUE(dialog.open(TagListMode::load));
    struct Case {
        int choice;
        const wchar_t* file;
        std::vector<std::wstring> written;
    } const cases[] = {
        {IDC_DIFF_SAVED_TAGS, L"saved.lst", saved},
        {IDC_DIFF_CURRENT_TAGS, L"current.lst", {untagged(3, 100), untagged(4, 10)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.file));
        ASSERT_TRUE(poll_until([&] { return item_enabled(dialog.window(), IDC_TAG_LIST_EXPORT); },
                               kWaitBound));
        ASSERT_TRUE(dialog.press(IDC_TAG_LIST_EXPORT));
        HWND which = nullptr;
        ASSERT_TRUE(brixtel.wait_for_window(kDifferentTagsTitle, &which));
        EXPECT_EQ(check_state(which, IDC_DIFF_SAVED_TAGS), std::optional<int>(BST_UNCHECKED));
        EXPECT_EQ(check_state(which, IDC_DIFF_CURRENT_TAGS), std::optional<int>(BST_UNCHECKED));
        ASSERT_TRUE(click(which, IDOK));
        ASSERT_TRUE(answer_message(brixtel, L"No Selections", L"OK"));
        ASSERT_TRUE(set_checked(which, c.choice, true));
        ASSERT_TRUE(click(which, IDOK));
        ASSERT_TRUE(brixtel.wait_until_gone(which));
        accept_file(L"Export - Plant.lst", in_folder(c.file));
        EXPECT_TRUE(wait_for_file(in_folder(c.file), joined(c.written)));
    }
    ASSERT_TRUE(dialog.press(IDCANCEL));
    EXPECT_TRUE(dialog.wait_until_closed());
}

// A refused or abandoned import leaves every saved list as it was; one under the loaded
// list's name replaces its points and loads them at once.
TEST_F(TagFileTest, ImportOverTheLoadedListReloadsItAndRefusalsChangeNothing) {
    ASSERT_TRUE(store_tag_lists({{L"Plant", {untagged(3, 100)}}, {L"Other", {untagged(3, 101)}}},
                                L"Plant"));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_title(L"Brixtel - Plant"));
    const std::string before = describe_key_tree(HKEY_CURRENT_USER, kTagsKey);
    ASSERT_NE(before.find("\\List1\\TagLookUp1 = text"), std::string::npos) << before;
    const std::vector<std::wstring> replacement = {untagged(5, 1), untagged(5, 2)};
    const std::wstring good = write_list_file(L"good.lst", replacement);

    // The only bad line lacks its second separator: refused before any point is checked.
    const std::wstring bad =
        write_list_file(L"bad.lst", {untagged(6, 1), address(1, 2, 6, 2) + L" -- NO_TAG"});
    HWND import = nullptr;
    ASSERT_TRUE(start_import(brixtel, bad, L"New", &import));
    ASSERT_TRUE(answer_message(
        brixtel, L"Incorrect Format", L"OK",
        L"One or more of the entries in the import file are not formatted correctly.\nMake sure "
        L"the entries appear as follows:\n\nModule <Loop#>,<PCU#>,<Module#> Block <Block#> -- "
        L"<Tagname> -- <Database>"));
    ASSERT_TRUE(brixtel.wait_until_gone(import));
    EXPECT_EQ(describe_key_tree(HKEY_CURRENT_USER, kTagsKey), before);

    // Another list's name, not to be overwritten.
    ASSERT_TRUE(start_import(brixtel, good, L"other", &import));
    ASSERT_TRUE(answer_message(brixtel, L"Name Already Exists", L"No"));
    ASSERT_TRUE(answer_message(brixtel, L"New Name Required", L"OK",
                               L"Specify a new name in order to continue with the import."));
    if (IsWindowVisible(import)) {
        ASSERT_TRUE(click(import, IDCANCEL));
    }
    ASSERT_TRUE(brixtel.wait_until_gone(import));
    EXPECT_EQ(describe_key_tree(HKEY_CURRENT_USER, kTagsKey), before);

    ASSERT_TRUE(start_import(brixtel, good, L"plant", &import));
    ASSERT_TRUE(answer_message(brixtel, L"Current Name Chosen", L"Yes",
                               L"You have chosen the name of the currently loaded taglist.\nDo "
                               L"you wish to overwrite your currently loaded tags?"));
    ASSERT_TRUE(brixtel.wait_until_gone(import));
    EXPECT_TRUE(poll_until(
        [&] {
            const auto lists = read_tag_lists();
            return lists.size() == 2 && lists[0].entries == replacement;
        },
        kWaitBound))
        << describe_lists(read_tag_lists());
    const std::vector<SavedList> lists = read_tag_lists();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_TRUE(same_text(lists[0].name, L"Plant"));
    EXPECT_EQ(lists[1], (SavedList{L"Other", {untagged(3, 101)}}));
    EXPECT_TRUE(wait_for_title(L"Brixtel - Plant"));

    // The window works with the imported points now.
    TagTranslation lookup(brixtel);
    ASSERT_TRUE(lookup.open());
    ListRows rows;
    EXPECT_TRUE(lookup.wait_for_row_count(2, &rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], address(1, 2, 5, 1));
    EXPECT_EQ(rows[1][0], address(1, 2, 5, 2));
    EXPECT_TRUE(lookup.close());
}

// 55 valid entries are more than a list may hold: the user removes five before the import.
TEST_F(TagFileTest, ImportOfFiftyFivePointsTakesFiftyAfterFiveAreRemoved) {
    ASSERT_TRUE(store_tag_lists({{L"Plant", {untagged(3, 100)}}}, L"Plant"));
    std::vector<std::wstring> lines;
    for (int block = 1; block <= 55; ++block)
        lines.push_back(untagged(9, block));
    const std::wstring file = write_list_file(L"big.lst", lines);
    ASSERT_TRUE(brixtel.launch());
    const std::string before = describe_key_tree(HKEY_CURRENT_USER, kTagsKey);
    ASSERT_NE(before.find("\\List1\\TagLookUp1 = text"), std::string::npos) << before;

    // Cancel in the list abandons the import.
    HWND import = nullptr;
    ASSERT_TRUE(start_import(brixtel, file, L"Big", &import));
    PointsExceeded exceeded;
    ASSERT_TRUE(exceeded.wait_for(brixtel));
    EXPECT_EQ(exceeded.entries(), std::optional<std::vector<std::wstring>>(lines));
    EXPECT_NE(exceeded.total().find(L"55"), std::wstring::npos) << narrow(exceeded.total());
    ASSERT_TRUE(exceeded.press(IDCANCEL));
    ASSERT_TRUE(brixtel.wait_until_gone(exceeded.window()));
    ASSERT_TRUE(brixtel.wait_until_gone(import));
    EXPECT_EQ(describe_key_tree(HKEY_CURRENT_USER, kTagsKey), before);

    ASSERT_TRUE(start_import(brixtel, file, L"Big", &import));
    ASSERT_TRUE(exceeded.wait_for(brixtel));
    ASSERT_TRUE(exceeded.press(IDOK));
    ASSERT_TRUE(answer_message(brixtel, L"Number of Points Exceeded", L"OK",
                               L"There are still 55 points in the list and that exceeds the "
                               L"maximum of 50 allowed.\nYou will need to remove 5 more points "
                               L"before the import can succeed."));
    const std::vector<int> removed = {0, 10, 20, 30, 54};
    ASSERT_TRUE(exceeded.remove(removed));
    EXPECT_NE(exceeded.total().find(L"50"), std::wstring::npos) << narrow(exceeded.total());
    ASSERT_TRUE(exceeded.press(IDOK));
    ASSERT_TRUE(brixtel.wait_until_gone(import));

    std::vector<std::wstring> kept;
    for (int row = 0; row < 55; ++row)
        if (std::find(removed.begin(), removed.end(), row) == removed.end())
            kept.push_back(lines[static_cast<std::size_t>(row)]);
    ASSERT_TRUE(wait_for_tag_lists({{L"Plant", {untagged(3, 100)}}, {L"Big", kept}}));
    // A new list logs every time column, in its own default file.
    const std::wstring big = list_key(2);
    EXPECT_TRUE(is_number(big, L"NumberofTags", 50));
    for (const wchar_t* on : {L"LogDate", L"LogReqTime", L"LogFirstTime", L"LogLastTime",
                              L"LogIndvTime", L"SyncLog", L"AppendDate"})
        EXPECT_TRUE(is_flag(big, on, 1)) << narrow(on);
    for (const wchar_t* off : {L"LogReqDate", L"LogFirstDate", L"LogLastDate", L"LogIndvDate",
                               L"StartTime", L"StopTime"})
        EXPECT_TRUE(is_flag(big, off, 0)) << narrow(off);
    EXPECT_TRUE(is_number(big, L"LogSize", 5));
    EXPECT_TRUE(is_text(big, L"SaveLocale", documents.logs_folder() + L"\\Brixtel_Big.log"));
    EXPECT_TRUE(wait_for_title(L"Brixtel - Plant")) << "the import does not load the list";
}

} // namespace
} // namespace brixtel::e2e
