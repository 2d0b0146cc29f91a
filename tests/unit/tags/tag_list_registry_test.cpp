#include "tags/tag_list_registry.h"

#include "logging/fake_log_folder_system.h"
#include "support/fake_seat.h"
#include "tag_list_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

using namespace brixtel::testing;

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::wstring kSettings = L"Software\\Quorrel\\Halvo Brixtel";
const std::wstring kTags = kSettings + L"\\Tags";
const std::wstring kLogFolder = L"C:\\Users\\u\\Documents\\Halvo LOGS";

class TagListRegistry : public ::testing::Test {
  protected:
    MemoryRegistry registry;
    FakeSeat seat;
    FakeLogFolderSystem folders;

    TagListRegistry() {
        registry.put(kUser,
                     L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     L"Personal", text_value(L"C:\\Users\\u\\Documents"));
        folders.folders.insert(L"C:\\Users\\u\\Documents");
        registry.create(kUser, kTags, RegistryAccess::ReadWrite);
    }

    ListOfLists read() { return read_all_lists(registry, seat, folders); }
    std::vector<std::wstring> value_names(int list) {
        return registry.value_names(kUser, list_path(list));
    }
};

TEST_F(TagListRegistry, ListWithoutValuesReadsAsItsSubkeyWithDefaults) {
    registry.put(kUser, kSettings, L"LogSize", number_value(9));
    seed_list(registry, 1, L"Boilers", {});
    seed_list(registry, 2, L"Pumps", {});
    registry.create(kUser, list_path(3), RegistryAccess::ReadWrite);

    const ListOfLists lists = read();
    ASSERT_EQ(lists.size(), 3u);
    const TagListRecord& third = lists.back();
    EXPECT_EQ(third.name, L"List3");
    EXPECT_TRUE(third.entries.empty());
    LoggingOptions expected;
    expected.log_size = 9;
    expected.save_locale = kLogFolder + L"\\Brixtel_List3.LOG";
    EXPECT_EQ(third.logging, expected);
    EXPECT_TRUE(seat.boxes.empty());
}

TEST_F(TagListRegistry, LogSizeFallsBackToFiveWithoutASettingsValue) {
    seed_list(registry, 1, L"A", {});
    EXPECT_EQ(read().front().logging.log_size, 5u);
}

TEST_F(TagListRegistry, StoredValuesOverrideDefaults) {
    seed_list(registry, 1, L"A", {});
    registry.put(kUser, list_path(1), L"LogDate", flag_value(0));
    registry.put(kUser, list_path(1), L"LogIndvDate", flag_value(7)); // any non-zero is yes
    registry.put(kUser, list_path(1), L"StartHour", number_value(13));
    registry.put(kUser, list_path(1), L"LogSize", number_value(0));
    registry.put(kUser, list_path(1), L"SaveLocale", text_value(L"D:\\x\\run.log"));
    registry.put(kUser, list_path(1), L"SyncLog", number_value(0)); // not a flag: default
    const LoggingOptions read_back = read().front().logging;
    EXPECT_FALSE(read_back.log_date);
    EXPECT_TRUE(read_back.log_indv_date);
    EXPECT_EQ(read_back.start_hour, 13u);
    EXPECT_EQ(read_back.log_size, 0u);
    EXPECT_EQ(read_back.save_locale, L"D:\\x\\run.log");
    EXPECT_TRUE(read_back.sync_log);
}

TEST_F(TagListRegistry, CountDecidesHowManyEntriesAreRead) {
    seed_list(registry, 1, L"A", {});
    registry.put(kUser, list_path(1), L"NumberofTags", number_value(3));
    registry.put(kUser, list_path(1), L"TagLookUp1",
                 text_value(L"Module 1,2,3 Block 4 -- T -- NO_DATABASE"));
    registry.put(kUser, list_path(1), L"TagLookUp9", text_value(L"ignored"));
    const ListOfLists lists = read();
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists.front().count_as_read, 3u);
    EXPECT_EQ(lists.front().entries,
              (std::vector<std::wstring>{L"Module 1,2,3 Block 4 -- T -- NO_DATABASE", L"", L""}));
}

// A list holds at most 50 points; a larger count is damage and must not read for hours.
TEST_F(TagListRegistry, CountsPastFiftyReadFiftyEntries) {
    const struct {
        std::uint32_t count;
        int present; // TagLookUp1 ... TagLookUp<present>
        std::size_t read;
    } cases[] = {{50, 50, 50}, {51, 51, 50}, {1000, 2, 50}, {0xFFFFFFFF, 2, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        MemoryRegistry damaged;
        damaged.create(kUser, kTags, RegistryAccess::ReadWrite);
        seed_list(damaged, 1, L"A", {});
        damaged.put(kUser, list_path(1), L"NumberofTags", number_value(c.count));
        for (int i = 1; i <= c.present; ++i)
            damaged.put(kUser, list_path(1), L"TagLookUp" + std::to_wstring(i),
                        text_value(L"Module 1,2,3 Block " + std::to_wstring(i) + L" -- T -- D"));
        const ListOfLists lists = read_all_lists(damaged, seat, folders);
        ASSERT_EQ(lists.size(), 1u);
        EXPECT_EQ(lists.front().count_as_read, c.count);
        ASSERT_EQ(lists.front().entries.size(), c.read);
        EXPECT_EQ(lists.front().entries[0], L"Module 1,2,3 Block 1 -- T -- D");
    }
}

TEST_F(TagListRegistry, AGapHidesLaterLists) {
    seed_list(registry, 1, L"A", {});
    seed_list(registry, 3, L"C", {});
    EXPECT_EQ(read().size(), 1u);
}

TEST_F(TagListRegistry, ReadFailures) {
    struct Case {
        const char* name;
        std::wstring failing_key;
        std::vector<StringId> messages;
    };
    for (const Case& c : {Case{"settings key", kSettings, {ids::MasterListReadFailed}},
                          Case{"tags key", kTags, {}}}) {
        MemoryRegistry failing;
        failing.create(kUser, list_path(1), RegistryAccess::ReadWrite);
        failing.fail_key(kUser, c.failing_key);
        FakeSeat quiet;
        EXPECT_TRUE(read_all_lists(failing, quiet, folders).empty()) << c.name;
        EXPECT_EQ(quiet.shown_texts(), c.messages) << c.name;
    }
    EXPECT_TRUE(read_list_entries(registry, seat, L"List7", false).empty());
    EXPECT_TRUE(seat.boxes.empty());
    EXPECT_TRUE(read_list_entries(registry, seat, L"List7", true).empty());
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::TagsReadFailed});
}

TEST_F(TagListRegistry, SaveWritesEveryValueInOrderAndDropsStaleOnes) {
    seed_list(registry, 2, L"Old", {L"a -- b -- c", L"d -- e -- f", L"g -- h -- i"});
    TagListRecord record;
    record.name = L"Boilers";
    record.entries = {L"Module 1,2,3 Block 4 -- T -- NO_DATABASE"};
    record.logging.save_locale = L"C:\\L\\Brixtel_Boilers.LOG";
    ASSERT_TRUE(save_list(registry, seat, L"List2", record));
    EXPECT_EQ(value_names(2),
              (std::vector<std::wstring>{
                  L"TagLookUp1",   L"NumberofTags", L"name",        L"LogDate",     L"LogReqTime",
                  L"LogFirstTime", L"LogLastTime",  L"LogIndvTime", L"LogReqDate",  L"LogFirstDate",
                  L"LogLastDate",  L"LogIndvDate",  L"StartHour",   L"StartMinute", L"StartTime",
                  L"StopHour",     L"StopMinute",   L"StopTime",    L"SyncLog",     L"LogSize",
                  L"SaveLocale",   L"AppendDate"}));
    const ListOfLists lists = [&] {
        seed_list(registry, 1, L"First", {});
        return read();
    }();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists.back().name, L"Boilers");
    EXPECT_EQ(lists.back().entries, record.entries);
    EXPECT_EQ(lists.back().logging, record.logging);
}

TEST_F(TagListRegistry, DetachedPointSavesOneValueFewer) {
    FakeDatabaseNames databases;
    const CurrentTagList points{
        {L"A", {1, 2, 3, 4}, 1}, {L"B", {1, 2, 3, 5}, kDetachedDatabase}, {L"C", {1, 2, 3, 6}, 1}};
    TagListRecord record;
    record.name = L"X";
    record.entries = entry_texts(points, databases);
    ASSERT_TRUE(save_list(registry, seat, L"List1", record));
    EXPECT_EQ(text_of(registry.value(kUser, list_path(1), L"TagLookUp2")),
              L"Module 1,2,3 Block 6 -- C -- NO_DATABASE");
    EXPECT_FALSE(registry.value(kUser, list_path(1), L"TagLookUp3"));
    EXPECT_EQ(registry.value(kUser, list_path(1), L"NumberofTags")->data, number_value(2).data);
}

TEST_F(TagListRegistry, SaveFailureShowsTheTagsMessage) {
    registry.fail_key(kUser, list_path(1));
    EXPECT_FALSE(save_list(registry, seat, L"List1", TagListRecord{}));
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::TagsWriteFailed});
}

TEST_F(TagListRegistry, DeletingTheSecondOfThreeRenumbersTheThird) {
    seed_list(registry, 1, L"A", {});
    seed_list(registry, 2, L"B", {});
    seed_list(registry, 3, L"C", {L"Module 1,2,3 Block 4 -- T -- NO_DATABASE"});
    TagListState state;
    state.lists = read();
    state.loaded = &state.lists.back();
    state.loaded_number = 3;
    state.lists.erase(std::next(state.lists.begin()));

    ASSERT_TRUE(rewrite_all_lists(registry, seat, state));
    EXPECT_EQ(registry.subkey_names(kUser, kTags), (std::vector<std::wstring>{L"List1", L"List2"}));
    EXPECT_EQ(text_of(registry.value(kUser, list_path(2), L"name")), L"C");
    EXPECT_EQ(text_of(registry.value(kUser, list_path(2), L"TagLookUp1")),
              L"Module 1,2,3 Block 4 -- T -- NO_DATABASE");
    EXPECT_EQ(state.loaded_number, 2u);
}

TEST_F(TagListRegistry, RewriteFailureShowsTheKeyMessage) {
    registry.fail_key(kUser, kTags);
    TagListState state;
    EXPECT_FALSE(rewrite_all_lists(registry, seat, state));
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::TagsKeyOpenFailed});
}

} // namespace
} // namespace brixtel
