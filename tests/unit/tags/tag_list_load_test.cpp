#include "tags/tag_list_load.h"

#include "logging/fake_log_folder_system.h"
#include "support/fake_seat.h"
#include "tag_list_fakes.h"
#include "tags/tag_list_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

using namespace brixtel::testing;

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::wstring kTags = L"Software\\Quorrel\\Halvo Brixtel\\Tags";
const std::wstring kGood1 = L"Module 1,2,3 Block 4 -- T1 -- NO_DATABASE";
const std::wstring kGood2 = L"Module 1,2,3 Block 5 -- T2 -- NO_DATABASE";
const std::wstring kBad = L"Module 1,2,3 Block 6 -- only one separator";

class TagListLoad : public ::testing::Test {
  protected:
    MemoryRegistry registry;
    FakeSeat seat;
    FakePrompts prompts;
    FakeDatabaseNames databases;
    FakeLogFolderSystem folders;
    TagListState state;
    CurrentLogging logging;
    std::vector<std::wstring> saved_names;
    TagListContext context{
        registry, seat,
        prompts,  databases,
        folders,  state,
        logging,  [this](std::wstring_view name) { saved_names.emplace_back(name); }};

    TagListLoad() {
        registry.create(kUser, L"Software\\Quorrel\\Halvo Brixtel", RegistryAccess::ReadWrite);
        registry.create(kUser, kTags, RegistryAccess::ReadWrite);
        folders.fixed_root = L"C:\\";
        folders.folders.insert(L"C:\\");
    }

    void seed(const std::vector<std::pair<std::wstring, std::vector<std::wstring>>>& lists) {
        int number = 1;
        for (const auto& [name, entries] : lists)
            seed_list(registry, number++, name, entries);
        state.lists = read_all_lists(registry, seat, folders);
    }
};

struct ChoiceCase {
    const char* name;
    std::vector<std::wstring> lists;
    std::wstring last_loaded;
    LoadOutcome outcome;
    std::wstring loaded_name; // empty: none
    std::wstring title;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.name;
}

class ListChoice : public TagListLoad, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ListChoice, PicksTheNamedOrOnlyList) {
    const ChoiceCase& c = GetParam();
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> lists;
    for (const auto& name : c.lists)
        lists.push_back({name, {kGood1}});
    seed(lists);
    state.current_name = c.last_loaded;
    state.changed = true;

    EXPECT_EQ(load_current_list_by_name(context), c.outcome);
    EXPECT_EQ(seat.title, c.title);
    if (c.outcome == LoadOutcome::NotFound) {
        EXPECT_TRUE(saved_names.empty());
        EXPECT_EQ(state.loaded, nullptr);
        EXPECT_TRUE(state.changed) << "a failed load changes nothing";
        return;
    }
    EXPECT_EQ(state.current_name, c.loaded_name);
    EXPECT_EQ(saved_names, std::vector<std::wstring>{c.loaded_name});
    EXPECT_FALSE(state.changed);
    if (c.loaded_name.empty()) {
        EXPECT_EQ(state.loaded, nullptr);
        EXPECT_EQ(state.loaded_number, 0u);
        return;
    }
    ASSERT_NE(state.loaded, nullptr);
    EXPECT_EQ(state.loaded->name, c.loaded_name);
    EXPECT_EQ(state.point_count, 1u);
    EXPECT_EQ(state.points.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ListChoice,
    ::testing::Values(
        ChoiceCase{"NamedListAnyCase",
                   {L"Alpha", L"Beta"},
                   L"BETA",
                   LoadOutcome::Loaded,
                   L"Beta",
                   L"Brixtel - Beta"},
        ChoiceCase{"OnlyListWithoutName",
                   {L"Alpha"},
                   L"",
                   LoadOutcome::Loaded,
                   L"Alpha",
                   L"Brixtel - Alpha"},
        ChoiceCase{"OnlyListWithUnknownName",
                   {L"Alpha"},
                   L"Gone",
                   LoadOutcome::Loaded,
                   L"Alpha",
                   L"Brixtel - Alpha"},
        ChoiceCase{"SeveralListsUnknownName",
                   {L"Alpha", L"Beta"},
                   L"Gone",
                   LoadOutcome::NotFound,
                   L"",
                   L"Brixtel"},
        ChoiceCase{
            "SeveralListsNoName", {L"Alpha", L"Beta"}, L"", LoadOutcome::NotFound, L"", L"Brixtel"},
        ChoiceCase{"NoListAtAll", {}, L"Gone", LoadOutcome::NoListSaved, L"", L"Brixtel"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TagListLoad, SecondListKeepsItsNumber) {
    seed({{L"Alpha", {}}, {L"Beta", {}}});
    state.current_name = L"Beta";
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    EXPECT_EQ(state.loaded_number, 2u);
}

TEST_F(TagListLoad, BadPointAnsweredYesLeavesTheRegistryCopy) {
    seed({{L"A", {L"comment line", kGood1, kBad, kGood2, kBad}}});
    prompts.delete_answer = true;
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);

    EXPECT_EQ(prompts.delete_questions, std::vector<std::wstring>{L"A"}) << "asked once per load";
    EXPECT_TRUE(prompts.no_points_notices.empty());
    EXPECT_EQ(state.point_count, 2u);
    const std::vector<std::wstring> kept{L"comment line", kGood1, kGood2};
    EXPECT_EQ(state.loaded->entries, kept);
    EXPECT_EQ(read_list_entries(registry, seat, L"List1", true), kept);
    EXPECT_TRUE(seat.boxes.empty());
}

TEST_F(TagListLoad, BadPointAnsweredNoKeepsEverything) {
    const std::vector<std::wstring> entries{kBad, kGood1, kBad};
    seed({{L"A", entries}});
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    EXPECT_EQ(prompts.delete_questions.size(), 1u);
    EXPECT_EQ(state.point_count, 1u);
    EXPECT_EQ(state.loaded->entries, entries);
    EXPECT_EQ(read_list_entries(registry, seat, L"List1", true), entries);
}

TEST_F(TagListLoad, NoGoodPointGivesTheNotice) {
    seed({{L"A", {kBad}}});
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    EXPECT_EQ(prompts.no_points_notices, std::vector<std::wstring>{L"A"});
    EXPECT_EQ(state.point_count, 0u);
    EXPECT_FALSE(seat.enabled.at(Command::Monitoring));
}

TEST_F(TagListLoad, EmptyListIsNoReasonForANotice) {
    seed({{L"A", {}}});
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    EXPECT_TRUE(prompts.no_points_notices.empty());
    EXPECT_TRUE(prompts.delete_questions.empty());
}

TEST_F(TagListLoad, TagsKeyThatCannotBeOpenedForUpdate) {
    seed({{L"A", {kGood1, kBad}}});
    registry.fail_key(kUser, kTags, true);
    prompts.delete_answer = true;
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::PointsKeyOpenFailed});
    EXPECT_EQ(state.loaded->entries, std::vector<std::wstring>{kGood1});
}

TEST_F(TagListLoad, ReloadReplacesThePoints) {
    seed({{L"A", {kGood1, kGood2}}});
    state.current_name = L"A";
    load_current_list_by_name(context);
    load_current_list_by_name(context);
    EXPECT_EQ(state.points.size(), 2u);
    EXPECT_EQ(state.point_count, 2u);
}

TEST_F(TagListLoad, MonitoringCommandFollowsPointsAndSynchronizedStart) {
    struct Case {
        std::vector<std::wstring> entries;
        bool start_time;
        bool enabled;
    };
    for (const Case& c : {Case{{kGood1}, false, true}, Case{{kGood1}, true, false},
                          Case{{}, false, false}, Case{{}, true, false}}) {
        MemoryRegistry fresh;
        TagListState fresh_state;
        TagListRecord list;
        list.name = L"A";
        list.entries = c.entries;
        list.logging.start_time = c.start_time;
        fresh_state.lists.push_back(list);
        FakeSeat fresh_seat;
        TagListContext fresh_context{fresh,   fresh_seat,  prompts, databases,
                                     folders, fresh_state, logging, nullptr};
        ASSERT_EQ(load_current_list_by_name(fresh_context), LoadOutcome::Loaded);
        EXPECT_EQ(fresh_seat.enabled.at(Command::Monitoring), c.enabled)
            << c.entries.size() << " points, start time " << c.start_time;
    }
}

TEST_F(TagListLoad, LoggingOptionsComeFromTheListOrTheDefaults) {
    seed({{L"A", {}}});
    state.lists.front().logging.log_size = 42;
    state.lists.front().logging.save_locale = L"D:\\Plant\\Logs\\unit1.run.LOG";
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    EXPECT_EQ(logging.options.log_size, 42u);
    EXPECT_EQ(logging.log_folder, L"D:\\Plant\\Logs");
    EXPECT_EQ(logging.log_base_name, L"unit1.run");

    state.lists.clear();
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::NoListSaved);
    EXPECT_EQ(logging.options.log_size, 5u);
    EXPECT_TRUE(logging.options.log_date);
    EXPECT_EQ(logging.log_folder, L"C:\\LOG");
    EXPECT_EQ(logging.log_base_name, L"Brixtel");
}

TEST_F(TagListLoad, FirstStartSeedFillsTheFirstListAndItsSubkey) {
    seed({{L"List1", {}}});
    seed_first_tag_list(registry, seat, databases, state,
                        {kGood1, kBad, L"Module 9,9,9 Block 9 -- NO_TAG -- NO_DATABASE"});
    EXPECT_EQ(state.point_count, 3u);
    EXPECT_EQ(state.points.size(), 2u) << "the bad text names no point";
    EXPECT_EQ(read_list_entries(registry, seat, L"List1", true),
              (std::vector<std::wstring>{kGood1, kBad,
                                         L"Module 9,9,9 Block 9 -- NO_TAG -- NO_DATABASE"}));
    // The start-up load that follows does not add the points a second time.
    prompts.delete_answer = false;
    ASSERT_EQ(load_current_list_by_name(context), LoadOutcome::Loaded);
    EXPECT_EQ(state.points.size(), 2u);
}

struct CheckCase {
    const char* name;
    std::vector<std::wstring> entries;
    std::vector<int> answers;
    bool go_on;
    std::vector<StringId> messages;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class CheckBeforeLoading : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckBeforeLoading, AsksOnceAtTheFirstBadEntry) {
    const CheckCase& c = GetParam();
    FakeSeat seat;
    seat.answers.assign(c.answers.begin(), c.answers.end());
    TagListRecord list;
    list.entries = c.entries;
    EXPECT_EQ(check_list_before_loading(seat, list), c.go_on);
    EXPECT_EQ(seat.shown_texts(), c.messages);
    for (const auto& box : seat.boxes) {
        if (box.text == ids::LoadBadPointQuestion) {
            EXPECT_EQ(box.caption, ids::InvalidPoint);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CheckBeforeLoading,
    ::testing::Values(
        CheckCase{"AllGood", {kGood1, kGood2}, {}, true, {}},
        CheckCase{"EmptyList", {}, {}, true, {}},
        CheckCase{"BadAnsweredYes",
                  {kGood1, L"Module 1,2 Block 3", L""},
                  {ButtonYes},
                  true,
                  {ids::LoadBadPointQuestion}},
        CheckCase{"BadAnsweredNo",
                  {L"", kGood1},
                  {ButtonNo},
                  false,
                  {ids::LoadBadPointQuestion, ids::LoadWillNotContinue}},
        // The check reads only the address: a missing second separator is found by the load.
        CheckCase{"AddressGoodEntryBad", {kBad}, {}, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace brixtel
