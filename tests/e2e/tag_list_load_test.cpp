// Loading the last tag list at start-up, as a user sees it: the window title, the Monitoring
// command, and the timed query about entries that name no point.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/tag_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

constexpr UINT kMonitoring = 40012;
const std::wstring kTagsKey = std::wstring(kSettingsKey) + L"\\Tags";
const std::wstring kGoodEntry = L"Module 1,2,3 Block 100 -- FIC-101 -- NO_DATABASE";
const std::wstring kOtherEntry = L"Module 1,2,3 Block 101 -- NO_TAG -- NO_DATABASE";
const std::wstring kBadEntry = L"Module 1,2,3 Block 102 -- only one separator";

std::wstring list_key(int number) {
    return kTagsKey + L"\\List" + std::to_wstring(number);
}

// A saved list as the program writes it; the Settings key makes the start a normal one.
void seed_list(int number, const std::wstring& name, const std::vector<std::wstring>& entries) {
    const std::wstring key = list_key(number);
    ASSERT_TRUE(write_string(HKEY_CURRENT_USER, key, L"name", name));
    for (std::size_t i = 0; i < entries.size(); ++i)
        ASSERT_TRUE(write_string(HKEY_CURRENT_USER, key, L"TagLookUp" + std::to_wstring(i + 1),
                                 entries[i]));
    ASSERT_TRUE(
        write_dword(HKEY_CURRENT_USER, key, L"NumberofTags", static_cast<DWORD>(entries.size())));
}

void seed_last_loaded(const std::wstring& name) {
    ASSERT_TRUE(write_string(HKEY_CURRENT_USER, kSettingsKey, L"LastLoaded", name));
}

class TagListLoadTest : public BrixtelTest {
  protected:
    ::testing::AssertionResult wait_for_title(const std::wstring& title) {
        if (poll_until([&] { return brixtel.title() == title; }, kWaitBound))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "title stayed \"" << std::string(brixtel.title().begin(), brixtel.title().end())
               << "\"";
    }

    std::optional<bool> monitoring_grayed() {
        Menu menu;
        if (!brixtel.read_menu(&menu))
            return std::nullopt;
        const MenuItem* item = menu.find(kMonitoring);
        if (!item)
            return std::nullopt;
        return item->grayed;
    }
};

TEST_F(TagListLoadTest, ListNamedByLastLoadedIsLoadedAtStart) {
    seed_list(1, L"Pumps", {kOtherEntry});
    seed_list(2, L"Boilers", {kGoodEntry, kOtherEntry});
    seed_last_loaded(L"boilers");
    ASSERT_TRUE(brixtel.launch());
    EXPECT_TRUE(wait_for_title(L"Brixtel - Boilers"));
    EXPECT_EQ(monitoring_grayed(), std::optional<bool>(false));
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kSettingsKey, L"LastLoaded"),
              std::optional<std::wstring>(L"Boilers"));
}

TEST_F(TagListLoadTest, OnlyListIsLoadedWithoutLastLoaded) {
    seed_list(1, L"Pumps", {kGoodEntry});
    seed_last_loaded(L"");
    ASSERT_TRUE(brixtel.launch());
    EXPECT_TRUE(wait_for_title(L"Brixtel - Pumps"));
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kSettingsKey, L"LastLoaded"),
              std::optional<std::wstring>(L"Pumps"));
}

TEST_F(TagListLoadTest, SeveralListsWithoutAMatchingNameOpenTheLoadDialog) {
    seed_list(1, L"Pumps", {kGoodEntry});
    seed_list(2, L"Boilers", {kOtherEntry});
    seed_last_loaded(L"Gone");
    ASSERT_TRUE(brixtel.start());
    TagListDialog load(brixtel);
    ASSERT_TRUE(load.wait_for(TagListMode::load));
    EXPECT_EQ(load.names(),
              std::optional<std::vector<std::wstring>>({L"Pumps", L"Boilers", L"(Blank Taglist)"}));
    ASSERT_TRUE(load.press(IDCANCEL));
    ASSERT_TRUE(load.wait_until_closed());
    ASSERT_TRUE(brixtel.wait_for_main_window());
    // Cancelled, start-up runs to its end without a list: the bar shows the update interval.
    ASSERT_TRUE(brixtel.wait_for_status_text(0, L"Monitoring: OFF (00:00:01.000)"));
    EXPECT_EQ(brixtel.title(), L"Brixtel");
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kSettingsKey, L"LastLoaded"),
              std::optional<std::wstring>(L"Gone"));
}

TEST_F(TagListLoadTest, SynchronizedStartListKeepsMonitoringGrayed) {
    seed_list(1, L"Timed", {kGoodEntry});
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, list_key(1), L"StartTime", {1}));
    seed_last_loaded(L"Timed");
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_title(L"Brixtel - Timed"));
    EXPECT_EQ(monitoring_grayed(), std::optional<bool>(true));
}

TEST_F(TagListLoadTest, BadEntryAnsweredYesIsRemovedFromTheSavedList) {
    seed_list(1, L"Mixed", {kGoodEntry, kBadEntry, kOtherEntry});
    seed_last_loaded(L"Mixed");
    ASSERT_TRUE(brixtel.start());
    HWND query = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Bad Points Deletion Query", &query, kStartBound));
    EXPECT_NE(item_text(query, 2501).find(L"<Mixed>"), std::wstring::npos);
    const std::wstring time_left = item_text(query, 2502);
    EXPECT_TRUE(time_left == L"Time left: 5:00" || time_left == L"Time left: 4:59" ||
                time_left == L"Time left: 4:58")
        << std::string(time_left.begin(), time_left.end());
    ASSERT_TRUE(click(query, IDYES));
    ASSERT_TRUE(brixtel.wait_until_gone(query));

    ASSERT_TRUE(brixtel.wait_for_main_window());
    EXPECT_TRUE(wait_for_title(L"Brixtel - Mixed"));
    EXPECT_TRUE(poll_until(
        [&] {
            return read_dword(HKEY_CURRENT_USER, list_key(1), L"NumberofTags") ==
                   std::optional<DWORD>(2);
        },
        kWaitBound));
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, list_key(1), L"TagLookUp1"),
              std::optional<std::wstring>(kGoodEntry));
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, list_key(1), L"TagLookUp2"),
              std::optional<std::wstring>(kOtherEntry));
    EXPECT_FALSE(read_string(HKEY_CURRENT_USER, list_key(1), L"TagLookUp3").has_value());
}

TEST_F(TagListLoadTest, ListWithOnlyBadEntriesShowsTheNoPointsNotice) {
    seed_list(1, L"Broken", {kBadEntry});
    seed_last_loaded(L"Broken");
    ASSERT_TRUE(brixtel.start());
    HWND query = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Bad Points Deletion Query", &query, kStartBound));
    ASSERT_TRUE(click(query, IDNO));
    HWND notice = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"No Points Loaded", &notice));
    EXPECT_EQ(item_text(notice, 2511), L"No good points detected to load from list <Broken>.");
    const std::wstring button = item_text(notice, IDOK);
    EXPECT_TRUE(button == L"OK (60)" || button == L"OK (59)" || button == L"OK (58)")
        << std::string(button.begin(), button.end());
    ASSERT_TRUE(click(notice, IDOK));
    ASSERT_TRUE(brixtel.wait_until_gone(notice));
    ASSERT_TRUE(brixtel.wait_for_main_window());
    EXPECT_EQ(monitoring_grayed(), std::optional<bool>(true));
    // Answered No: the saved list keeps its entry.
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, list_key(1), L"TagLookUp1"),
              std::optional<std::wstring>(kBadEntry));
}

} // namespace
} // namespace brixtel::e2e
