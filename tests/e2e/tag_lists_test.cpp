// Saved tag lists handled through the Tag list dialog as a user does it: saving under a name,
// deleting, loading with a bad entry, reviewing, and the question about unsaved changes at Exit;
// checked by the window title, the dialog's lists and the lists the registry keeps.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/tag_lists.h"
#include "tests/e2e/driver/tag_lookup.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

const std::wstring kPump = L"Module 1,2,3 Block 100 -- FIC-101 -- NO_DATABASE";
const std::wstring kValve = L"Module 1,2,3 Block 101 -- NO_TAG -- NO_DATABASE";
const std::wstring kFan = L"Module 1,2,5 Block 7 -- NO_TAG -- NO_DATABASE";
// Added through Tag Name Lookup by its block address, without a database.
const std::wstring kAdded = L"Module 1,2,4 Block 10 -- NO_TAG -- NO_DATABASE";
const std::wstring kBadEntry = L"Module 1,2,3 Block 102 -- only one separator";

constexpr wchar_t kReservedName[] =
    L"The name \"Blank Taglist\" is reserved for special purposes.\nPlease choose another name.";
constexpr wchar_t kOverwriteExisting[] = L"You have chosen a name of an existing list.\nDo you "
                                         L"wish to overwrite its existing tags with the current "
                                         L"ones?";
constexpr wchar_t kDeleteLoaded[] = L"You have selected to delete the currently loaded tag "
                                    L"list.\nAre you sure you want to delete this?";

class TagListTest : public BrixtelTest {
  protected:
    AssertionResult wait_for_title(const std::wstring& title) {
        if (poll_until([&] { return brixtel.title() == title; }, kWaitBound))
            return AssertionSuccess();
        return AssertionFailure() << "title stayed \"" << narrow(brixtel.title()) << "\"";
    }

    std::optional<std::wstring> last_loaded() {
        return read_string(HKEY_CURRENT_USER, kSettingsKey, L"LastLoaded");
    }

    // Adds kAdded to the current tag list through Tag Name Lookup, as a user would.
    void add_point(std::size_t rows_after) {
        TagTranslation lookup(brixtel);
        ASSERT_TRUE(lookup.open());
        ASSERT_TRUE(lookup.by_block());
        ASSERT_TRUE(lookup.add_block(block_fields(1, 2, 4, 10), rows_after));
        ASSERT_TRUE(lookup.close());
    }
};

TEST_F(TagListTest, SaveOverwritesTheLoadedListAtOnceAndAsksBeforeAnotherOne) {
    const std::vector<SavedList> seeded = {{L"Plant", {kPump}}, {L"Boilers", {kValve}}};
    ASSERT_TRUE(store_tag_lists(seeded, L"Plant"));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_title(L"Brixtel - Plant"));
    add_point(2);
    ASSERT_FALSE(HasFatalFailure());

    TagListDialog dialog(brixtel);
    ASSERT_TRUE(dialog.open(TagListMode::save));
    EXPECT_EQ(dialog.names(), (std::vector<std::wstring>{L"Plant", L"Boilers"}));
    EXPECT_EQ(item_text(dialog.window(), IDC_TAG_LIST_SAVE_AS), L"Plant");
    EXPECT_EQ(item_text(dialog.window(), IDOK), L"Save");
    EXPECT_FALSE(item_visible(dialog.window(), IDC_TAG_LIST_DELETE));

    // The reserved name in any case, with or without its parentheses and quotes around it.
    for (const wchar_t* reserved : {L"(Blank Taglist)", L"blank taglist", L" \"BLANK TAGLIST\" "}) {
        SCOPED_TRACE(narrow(reserved));
        ASSERT_TRUE(dialog.type_save_as(reserved));
        ASSERT_TRUE(dialog.press(IDOK));
        EXPECT_TRUE(answer_message(brixtel, L"Invalid Name", L"OK", kReservedName));
        EXPECT_TRUE(IsWindowVisible(dialog.window()));
    }
    EXPECT_EQ(read_tag_lists(), seeded);

    // Under the loaded list's own name: no question, the dialog closes.
    ASSERT_TRUE(dialog.type_save_as(L"Plant"));
    ASSERT_TRUE(dialog.press(IDOK));
    ASSERT_TRUE(dialog.wait_until_closed());
    EXPECT_TRUE(wait_for_tag_lists({{L"Plant", {kPump, kAdded}}, {L"Boilers", {kValve}}}));

    // Under another saved list's name: asked first; No keeps the dialog and the list.
    ASSERT_TRUE(dialog.open(TagListMode::save));
    ASSERT_TRUE(dialog.select(L"Boilers"));
    ASSERT_TRUE(
        poll_until([&] { return item_text(dialog.window(), IDC_TAG_LIST_SAVE_AS) == L"Boilers"; },
                   kWaitBound));
    ASSERT_TRUE(dialog.press(IDOK));
    ASSERT_TRUE(answer_message(brixtel, L"Confirm Save Name", L"No", kOverwriteExisting));
    EXPECT_TRUE(IsWindowVisible(dialog.window()));
    EXPECT_EQ(read_tag_lists()[1], (SavedList{L"Boilers", {kValve}}));
    ASSERT_TRUE(dialog.press(IDOK));
    ASSERT_TRUE(answer_message(brixtel, L"Confirm Save Name", L"Yes", kOverwriteExisting));
    ASSERT_TRUE(dialog.wait_until_closed());
    EXPECT_TRUE(wait_for_tag_lists({{L"Plant", {kPump, kAdded}}, {L"Boilers", {kPump, kAdded}}}));
    EXPECT_TRUE(wait_for_title(L"Brixtel - Boilers"));
    EXPECT_EQ(last_loaded(), std::optional<std::wstring>(L"Boilers"));
}

TEST_F(TagListTest, DeletingTheLoadedListLeavesNoneAndOffersTheRest) {
    const std::vector<SavedList> seeded = {
        {L"Alpha", {kPump}}, {L"Beta", {kValve}}, {L"Gamma", {kFan, kPump}}};
    ASSERT_TRUE(store_tag_lists(seeded, L"Beta"));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_title(L"Brixtel - Beta"));

    // Delete takes the name out of the box only; Cancel deletes nothing.
    TagListDialog dialog(brixtel);
    ASSERT_TRUE(dialog.open(TagListMode::erase));
    EXPECT_EQ(dialog.names(), (std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma"}));
    EXPECT_EQ(dialog.selected_name(), L"Beta");
    EXPECT_FALSE(item_visible(dialog.window(), IDC_TAG_LIST_SAVE_AS));
    ASSERT_TRUE(dialog.select(L"Alpha"));
    ASSERT_TRUE(dialog.press(IDC_TAG_LIST_DELETE));
    EXPECT_TRUE(poll_until(
        [&] {
            return dialog.names() == std::vector<std::wstring>{L"Beta", L"Gamma"};
        },
        kWaitBound));
    ASSERT_TRUE(dialog.press(IDCANCEL));
    ASSERT_TRUE(dialog.wait_until_closed());
    EXPECT_EQ(read_tag_lists(), seeded);
    EXPECT_EQ(brixtel.title(), L"Brixtel - Beta");

    // The loaded list is confirmed, then gone with OK; the others move up.
    ASSERT_TRUE(dialog.open(TagListMode::erase));
    ASSERT_TRUE(dialog.select(L"Beta"));
    ASSERT_TRUE(dialog.press(IDC_TAG_LIST_DELETE));
    ASSERT_TRUE(answer_message(brixtel, L"Deletion Confirmation", L"Yes", kDeleteLoaded));
    ASSERT_TRUE(poll_until(
        [&] {
            return dialog.names() == std::vector<std::wstring>{L"Alpha", L"Gamma"};
        },
        kWaitBound));
    ASSERT_TRUE(dialog.press(IDOK));
    ASSERT_TRUE(dialog.wait_until_closed());

    TagListDialog load(brixtel);
    ASSERT_TRUE(load.wait_for(TagListMode::load)) << "the load dialog did not open by itself";
    EXPECT_EQ(load.names(), (std::vector<std::wstring>{L"Alpha", L"Gamma", kBlankTaglist}));
    EXPECT_EQ(item_text(load.window(), IDC_TAG_LIST_CURRENT), L"No list loaded");
    EXPECT_EQ(brixtel.title(), L"Brixtel");
    EXPECT_TRUE(wait_for_tag_lists({{L"Alpha", {kPump}}, {L"Gamma", {kFan, kPump}}}));
    EXPECT_EQ(last_loaded(), std::optional<std::wstring>(L""));
    ASSERT_TRUE(load.press(IDCANCEL));
    EXPECT_TRUE(load.wait_until_closed());
}

TEST_F(TagListTest, LoadFromTheDialogOffersToRemoveABadEntryAndReviewsLists) {
    ASSERT_TRUE(
        store_tag_lists({{L"Good", {kPump}}, {L"Mixed", {kPump, kBadEntry, kValve}}}, L"Good"));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_title(L"Brixtel - Good"));

    TagListDialog dialog(brixtel);
    ASSERT_TRUE(dialog.open(TagListMode::load));
    EXPECT_EQ(dialog.names(), (std::vector<std::wstring>{L"Good", L"Mixed", kBlankTaglist}));
    EXPECT_EQ(dialog.selected_name(), L"Good");
    EXPECT_EQ(item_text(dialog.window(), IDC_TAG_LIST_CURRENT), L"Good");
    EXPECT_EQ(item_text(dialog.window(), IDOK), L"Load");

    // Review shows the saved entries as they stand, the bad one too.
    ASSERT_TRUE(dialog.select(L"Mixed"));
    std::wstring review;
    ASSERT_TRUE(dialog.review(&review));
    EXPECT_EQ(escaped(review), escaped(L"Points to Monitor in <Mixed>\r\n\r\n" + kPump + L"\r\n" +
                                       kBadEntry + L"\r\n" + kValve + L"\r\n"));
    ASSERT_TRUE(dialog.select(kBlankTaglist));
    ASSERT_TRUE(dialog.press(IDC_TAG_LIST_REVIEW));
    EXPECT_TRUE(answer_message(brixtel, L"Blank Taglist", L"OK",
                               L"Select this option if you want to start with a blank list."));

    ASSERT_TRUE(dialog.select(L"Mixed"));
    ASSERT_TRUE(dialog.press(IDOK));
    HWND query = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Bad Points Deletion Query", &query));
    ASSERT_TRUE(click(query, IDYES));
    ASSERT_TRUE(brixtel.wait_until_gone(query));
    ASSERT_TRUE(dialog.wait_until_closed());
    EXPECT_TRUE(wait_for_title(L"Brixtel - Mixed"));
    EXPECT_TRUE(wait_for_tag_lists({{L"Good", {kPump}}, {L"Mixed", {kPump, kValve}}}));
    EXPECT_EQ(last_loaded(), std::optional<std::wstring>(L"Mixed"));

    // The blank entry leaves no list loaded and the saved lists as they are.
    ASSERT_TRUE(dialog.open(TagListMode::load));
    EXPECT_EQ(dialog.selected_name(), L"Mixed");
    ASSERT_TRUE(dialog.select(kBlankTaglist));
    ASSERT_TRUE(dialog.press(IDOK));
    ASSERT_TRUE(dialog.wait_until_closed());
    EXPECT_TRUE(wait_for_title(L"Brixtel"));
    EXPECT_EQ(last_loaded(), std::optional<std::wstring>(L""));
    EXPECT_EQ(read_tag_lists(),
              (std::vector<SavedList>{{L"Good", {kPump}}, {L"Mixed", {kPump, kValve}}}));
}

TEST_F(TagListTest, ExitAfterAnAddedPointOffersToSaveTheList) {
    ASSERT_TRUE(store_tag_lists({{L"Plant", {kPump}}}, L"Plant"));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_title(L"Brixtel - Plant"));
    add_point(2);
    ASSERT_FALSE(HasFatalFailure());

    ASSERT_TRUE(brixtel.post_command(kExitCommand));
    ASSERT_TRUE(answer_message(brixtel, L"Tag List Changes Detected", L"Yes",
                               L"Brixtel has detected changes between the current tag list\nand "
                               L"your loaded tag list \"Plant\".\nDo you wish to save your "
                               L"current tag list?"));
    TagListDialog dialog(brixtel);
    ASSERT_TRUE(dialog.wait_for(TagListMode::save));
    EXPECT_EQ(item_text(dialog.window(), IDC_TAG_LIST_SAVE_AS), L"Plant");
    ASSERT_TRUE(dialog.press(IDOK));
    EXPECT_TRUE(brixtel.wait_for_exit());
    EXPECT_EQ(read_tag_lists(), (std::vector<SavedList>{{L"Plant", {kPump, kAdded}}}));
}

} // namespace
} // namespace brixtel::e2e
