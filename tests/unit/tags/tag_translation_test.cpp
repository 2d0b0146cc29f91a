#include "tags/tag_translation.h"

#include "support/fake_seat.h"
#include "tag_list_fakes.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using namespace brixtel::testing;

const std::wstring kUnit1 = L"C:\\DB\\UNIT1.DBF";
const std::wstring kUnit2 = L"C:\\DB\\UNIT2.CSV";

// The dialog as the user sees it: its fields, its rows, where the focus went and the answers
// the user gives to the two questions.
class FakeTranslationView : public TagTranslationView {
  public:
    std::map<LookupField, std::wstring> fields;
    std::vector<TagRow> rows;
    std::vector<LookupField> focused;

    struct BlockAnswer {
        bool ok = true;
        bool do_not_show_again = false;
    };
    std::deque<BlockAnswer> block_answers; // unscripted: OK, box unticked
    int block_questions = 0;

    std::optional<std::vector<std::size_t>> duplicate_choice; // nothing: Cancel
    std::vector<std::vector<TagRecord>> duplicate_offers;

    std::wstring field_text(LookupField field) const override {
        const auto found = fields.find(field);
        return found == fields.end() ? std::wstring() : found->second;
    }
    void set_field_text(LookupField field, std::wstring_view text) override {
        fields[field] = text;
    }
    void select_and_focus(LookupField field) override { focused.push_back(field); }
    std::size_t row_count() const override { return rows.size(); }
    void append_row(const TagRow& row) override { rows.push_back(row); }
    bool confirm_block_above_limit(bool& do_not_show_again) override {
        ++block_questions;
        BlockAnswer answer;
        if (!block_answers.empty()) {
            answer = block_answers.front();
            block_answers.pop_front();
        }
        do_not_show_again = answer.do_not_show_again;
        return answer.ok;
    }
    std::optional<std::vector<std::size_t>>
    choose_duplicates(std::span<const TagRecord> grouped) override {
        duplicate_offers.emplace_back(grouped.begin(), grouped.end());
        return duplicate_choice;
    }

    void type_address(const std::wstring& loop, const std::wstring& pcu, const std::wstring& module,
                      const std::wstring& block, const std::wstring& description = L"") {
        fields[LookupField::Loop] = loop;
        fields[LookupField::Pcu] = pcu;
        fields[LookupField::Module] = module;
        fields[LookupField::Block] = block;
        fields[LookupField::Description] = description;
    }
};

class TagTranslationTest : public ::testing::Test {
  protected:
    // Database 4 was removed: its record stays in the index with number 0.
    std::vector<TagRecord> index{
        {L"fic-101", 1, 2, 3, 100, 2}, {L"FIC-102", 1, 2, 3, 101, 2},
        {L"FIC-101", 1, 2, 3, 100, 3}, // the same point listed in a second file
        {L"TI-7", 4, 5, 6, 7, 2},      {L"TI-7", 4, 5, 6, 8, 3},
        {L"PV-9", 9, 9, 9, 9, 2},      {L"PV-9", 9, 9, 9, 9, 3},
        {L"GONE", 7, 7, 7, 7, 0},
    };
    FakeSeat seat;
    FakeDatabaseNames databases;
    TagListState lists;
    bool show_blk_check = true;
    std::vector<bool> saved_show_blk_check;
    bool monitoring = false;
    bool export_view = false;
    std::vector<BlockAddress> started;
    std::vector<BlockAddress> stopped;
    int repaints = 0;
    FakeTranslationView view;
    TagTranslation translation{TagTranslationPartners{
                                   seat,
                                   lists,
                                   databases,
                                   index,
                                   show_blk_check,
                                   [this](bool show) { saved_show_blk_check.push_back(show); },
                                   [this] { return monitoring; },
                                   [this] { return monitoring && export_view; },
                                   [this](const BlockAddress& a) { started.push_back(a); },
                                   [this](const BlockAddress& a) { stopped.push_back(a); },
                                   [this] { ++repaints; },
                               },
                               view};

    TagTranslationTest() {
        databases.slots[2] = kUnit1;
        databases.slots[3] = kUnit2;
    }

    // Points already in the list (and their rows), as the dialog opens over them.
    void list_points(const std::vector<PointNode>& points) {
        for (const PointNode& point : points)
            lists.points.push_back(point);
        lists.point_count = static_cast<std::uint32_t>(lists.points.size());
        view.rows = tag_rows(lists.points, databases);
    }

    void fill_list(std::size_t count) {
        std::vector<PointNode> points;
        for (std::size_t i = 0; i < count; ++i)
            points.push_back({L"", {1, 1, 1, static_cast<std::int32_t>(1000 + i)}, 1});
        list_points(points);
    }

    std::vector<std::wstring> listed_entries() const {
        return entry_texts(lists.points, databases);
    }
};

// --- the lookups in the index ---

struct IndexCase {
    const char* name;
    bool by_name;
    std::wstring name_or_description;
    BlockAddress address;
    std::vector<TagRecord> expected;
};

void PrintTo(const IndexCase& c, std::ostream* os) {
    *os << c.name;
}

class IndexLookup : public TagTranslationTest, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(IndexLookup, FindsRecordsOfListedDatabasesInIndexOrder) {
    const IndexCase& c = GetParam();
    const auto found = c.by_name
                           ? look_up_by_tag_name(index, c.name_or_description)
                           : look_up_by_address(index, c.address, c.name_or_description, L"NO_TAG");
    EXPECT_EQ(found, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, IndexLookup,
    ::testing::Values(IndexCase{"name_in_lower_case_found_in_upper_case",
                                true,
                                L"fic-102",
                                {},
                                {{L"FIC-102", 1, 2, 3, 101, 2}}},
                      IndexCase{"name_in_two_databases",
                                true,
                                L"Fic-101",
                                {},
                                {{L"FIC-101", 1, 2, 3, 100, 2}, {L"FIC-101", 1, 2, 3, 100, 3}}},
                      IndexCase{"name_of_removed_database_not_found", true, L"gone", {}, {}},
                      IndexCase{"name_unknown", true, L"FIC", {}, {}},
                      IndexCase{"address_in_two_databases_tag_upper_cased",
                                false,
                                L"ignored",
                                {1, 2, 3, 100},
                                {{L"FIC-101", 1, 2, 3, 100, 2}, {L"FIC-101", 1, 2, 3, 100, 3}}},
                      IndexCase{"address_unknown_named_by_description",
                                false,
                                L"Pump",
                                {1, 2, 3, 99},
                                {{L"Pump", 1, 2, 3, 99, 1}}},
                      IndexCase{"address_unknown_without_description",
                                false,
                                L"",
                                {1, 2, 3, 99},
                                {{L"NO_TAG", 1, 2, 3, 99, 1}}},
                      IndexCase{"address_of_removed_database_is_unknown",
                                false,
                                L"",
                                {7, 7, 7, 7},
                                {{L"NO_TAG", 7, 7, 7, 7, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the checks of a lookup by block, in their order ---

struct BlockCheckCase {
    const char* name;
    std::vector<std::wstring> typed; // loop, PCU, module, block, description
    bool show_blk_check;
    bool confirm;          // the answer to the block question
    StringId box;          // 0: no box
    std::wstring box_text; // the formatted text, when it matters
    std::optional<LookupField> focus;
    int questions;
    bool added;
};

void PrintTo(const BlockCheckCase& c, std::ostream* os) {
    *os << c.name;
}

class BlockChecks : public TagTranslationTest,
                    public ::testing::WithParamInterface<BlockCheckCase> {};

TEST_P(BlockChecks, StopAtTheFirstFailure) {
    const BlockCheckCase& c = GetParam();
    show_blk_check = c.show_blk_check;
    view.block_answers.push_back({c.confirm, false});
    view.type_address(c.typed[0], c.typed[1], c.typed[2], c.typed[3], c.typed[4]);

    translation.look_up_by_block();

    if (c.box == 0) {
        EXPECT_TRUE(seat.boxes.empty());
    } else {
        ASSERT_EQ(seat.boxes.size(), 1u);
        EXPECT_EQ(seat.boxes[0].text, c.box);
        if (!c.box_text.empty()) {
            EXPECT_EQ(seat.boxes[0].formatted, c.box_text);
        }
    }
    if (c.focus)
        EXPECT_EQ(view.focused, std::vector<LookupField>{*c.focus});
    else
        EXPECT_TRUE(view.focused.empty());
    EXPECT_EQ(view.block_questions, c.questions);
    EXPECT_EQ(view.rows.size(), c.added ? 1u : 0u);
    EXPECT_EQ(lists.points.size(), c.added ? 1u : 0u);
    // A refused entry leaves what the user typed for correcting.
    if (!c.added) {
        EXPECT_EQ(view.fields[LookupField::Block], c.typed[3]);
    }
}

constexpr auto kLoop = LookupField::Loop;
constexpr auto kPcu = LookupField::Pcu;
constexpr auto kModule = LookupField::Module;
constexpr auto kBlock = LookupField::Block;
constexpr auto kDescription = LookupField::Description;

const std::wstring kDescriptionLead = L"The user description entered contains the following "
                                      L"characters which Brixtel does not allow:\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Order, BlockChecks,
    ::testing::Values(
        BlockCheckCase{"blank_loop",
                       {L"", L"1", L"0", L"0", L""},
                       true,
                       true,
                       375,
                       L"The Loop field is blank - your entry will not be added.  Please enter "
                       L"a value and try again.",
                       kLoop,
                       0,
                       false},
        BlockCheckCase{"letters_in_pcu",
                       {L"1", L"x", L"0", L"0", L""},
                       true,
                       true,
                       375,
                       L"The PCU field is blank - your entry will not be added.  Please enter a "
                       L"value and try again.",
                       kPcu,
                       0,
                       false},
        BlockCheckCase{"sign_in_module",
                       {L"1", L"1", L"-1", L"", L""},
                       true,
                       true,
                       375,
                       L"",
                       kModule,
                       0,
                       false},
        BlockCheckCase{"blank_block_before_description",
                       {L"1", L"1", L"0", L" ", L"a,b"},
                       true,
                       true,
                       375,
                       L"",
                       kBlock,
                       0,
                       false},
        BlockCheckCase{"one_comma",
                       {L"1", L"1", L"0", L"0", L"a,b"},
                       true,
                       true,
                       292,
                       kDescriptionLead + L"comma (,)\r\n\r\nYou will need to modify the "
                                          L"description to remove these characters before "
                                          L"Brixtel will proceed.",
                       kDescription,
                       0,
                       false},
        BlockCheckCase{"every_kind_in_order",
                       {L"1", L"1", L"0", L"0", L",;--"},
                       true,
                       true,
                       292,
                       kDescriptionLead + L"double hyphen (--)\nsemi-colon (;)\ncomma (,)"
                                          L"\r\n\r\nYou will need to modify the description to "
                                          L"remove these characters before Brixtel will "
                                          L"proceed.",
                       kDescription,
                       0,
                       false},
        BlockCheckCase{"single_hyphen_allowed",
                       {L"1", L"1", L"0", L"0", L"a-b"},
                       true,
                       true,
                       0,
                       L"",
                       std::nullopt,
                       0,
                       true},
        BlockCheckCase{"description_before_ranges",
                       {L"0", L"0", L"0", L"0", L";"},
                       true,
                       true,
                       292,
                       L"",
                       kDescription,
                       0,
                       false},
        BlockCheckCase{
            "loop_0", {L"0", L"1", L"0", L"0", L""}, true, true, 57, L"", kLoop, 0, false},
        BlockCheckCase{
            "loop_251", {L"251", L"1", L"0", L"0", L""}, true, true, 57, L"", kLoop, 0, false},
        BlockCheckCase{"pcu_0", {L"1", L"0", L"0", L"0", L""}, true, true, 59, L"", kPcu, 0, false},
        BlockCheckCase{"module_31",
                       {L"250", L"250", L"31", L"0", L""},
                       true,
                       true,
                       0,
                       L"",
                       std::nullopt,
                       0,
                       true},
        BlockCheckCase{
            "module_32", {L"1", L"1", L"32", L"0", L""}, true, true, 61, L"", kModule, 0, false},
        BlockCheckCase{"block_31999_without_question",
                       {L"1", L"1", L"0", L"31999", L""},
                       true,
                       true,
                       0,
                       L"",
                       std::nullopt,
                       0,
                       true},
        BlockCheckCase{"block_32000_asked_and_accepted",
                       {L"1", L"1", L"0", L"32000", L""},
                       true,
                       true,
                       0,
                       L"",
                       std::nullopt,
                       1,
                       true},
        BlockCheckCase{"block_65535_asked_and_declined",
                       {L"1", L"1", L"0", L"65535", L""},
                       true,
                       false,
                       0,
                       L"",
                       kBlock,
                       1,
                       false},
        BlockCheckCase{"block_65535_not_asked_when_turned_off",
                       {L"1", L"1", L"0", L"65535", L""},
                       false,
                       false,
                       0,
                       L"",
                       std::nullopt,
                       0,
                       true},
        BlockCheckCase{"block_65536",
                       {L"1", L"1", L"0", L"65536", L""},
                       true,
                       true,
                       56,
                       L"",
                       kBlock,
                       0,
                       false},
        BlockCheckCase{"blanks_around_numbers",
                       {L" 1 ", L"\t2", L"3 ", L" 4", L""},
                       true,
                       true,
                       0,
                       L"",
                       std::nullopt,
                       0,
                       true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TagTranslationTest, BlockQuestionTurnedOffByItsBoxOnEitherButton) {
    struct Case {
        FakeTranslationView::BlockAnswer answer;
        bool added;
        bool show_after;
    };
    for (const Case c : {Case{{true, false}, true, true}, Case{{false, false}, false, true},
                         Case{{false, true}, false, false}, Case{{true, true}, true, false}}) {
        SCOPED_TRACE(::testing::Message() << c.answer.ok << c.answer.do_not_show_again);
        lists.points.clear();
        view.rows.clear();
        saved_show_blk_check.clear();
        show_blk_check = true;
        view.block_answers = {c.answer};
        view.type_address(L"1", L"1", L"0", L"40000");

        translation.look_up_by_block();

        EXPECT_EQ(view.rows.size(), c.added ? 1u : 0u);
        EXPECT_EQ(show_blk_check, c.show_after);
        EXPECT_EQ(saved_show_blk_check, std::vector<bool>{c.show_after});
    }
    // Once turned off, the next high block is added without asking.
    const int asked = view.block_questions;
    view.rows.clear();
    lists.points.clear();
    view.type_address(L"1", L"1", L"0", L"40001");
    translation.look_up_by_block();
    EXPECT_EQ(view.block_questions, asked);
    EXPECT_EQ(view.rows.size(), 1u);
}

TEST_F(TagTranslationTest, FiftyFirstPointRefusedInBothModes) {
    for (const bool by_name : {true, false}) {
        SCOPED_TRACE(by_name ? "by tag name" : "by block");
        lists = {};
        seat.boxes.clear();
        fill_list(49);
        const auto look_up = [&] {
            if (by_name) {
                view.fields[LookupField::TagName] = L"FIC-102";
                translation.look_up_by_tag_name();
            } else {
                view.type_address(L"1", L"2", L"3", L"101");
                translation.look_up_by_block();
            }
        };
        look_up(); // the fiftieth
        EXPECT_TRUE(seat.boxes.empty());
        ASSERT_EQ(view.rows.size(), 50u);

        look_up(); // the count is checked before the lookup could find it listed

        EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::TooManyPoints});
        EXPECT_EQ(view.rows.size(), 50u);
        EXPECT_EQ(lists.points.size(), 50u);
    }
}

TEST_F(TagTranslationTest, TagNameLookup) {
    // Unknown: 52 with the trimmed name, the field selected, nothing emptied.
    view.fields[LookupField::TagName] = L"  nope ";
    view.fields[LookupField::Description] = L"kept";
    translation.look_up_by_tag_name();
    ASSERT_EQ(seat.boxes.size(), 1u);
    EXPECT_EQ(seat.boxes[0].text, ids::NoTagMatch);
    EXPECT_EQ(seat.boxes[0].formatted, L"No match found in database for tag <nope>");
    EXPECT_EQ(view.focused, std::vector<LookupField>{LookupField::TagName});
    EXPECT_EQ(view.fields[LookupField::Description], L"kept");

    // Blank: nothing at all.
    seat.boxes.clear();
    view.fields[LookupField::TagName] = L"   ";
    translation.look_up_by_tag_name();
    EXPECT_TRUE(seat.boxes.empty());

    // Found in lower case: the point carries the upper-case name.
    view.fields[LookupField::TagName] = L"fic-102";
    translation.look_up_by_tag_name();
    ASSERT_EQ(lists.points.size(), 1u);
    EXPECT_EQ(lists.points[0].tag_name, L"FIC-102");
    EXPECT_EQ(view.fields[LookupField::TagName], L"");
    EXPECT_EQ(view.fields[LookupField::Description], L"");
    EXPECT_EQ(view.focused.back(), LookupField::TagName);
    EXPECT_TRUE(seat.boxes.empty());
}

// --- duplicates ---

struct SplitCase {
    const char* name;
    std::vector<TagRecord> results;
    std::vector<TagRecord> singles;
    std::vector<TagRecord> grouped;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class DuplicateSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(DuplicateSplitting, SortsKeepsIdenticalOnceAndGroupsSharedAddresses) {
    const SplitCase& c = GetParam();
    const DuplicateSplit split = split_duplicates(c.results);
    EXPECT_EQ(split.singles, c.singles);
    EXPECT_EQ(split.grouped, c.grouped);
}

INSTANTIATE_TEST_SUITE_P(
    Results, DuplicateSplitting,
    ::testing::Values(
        SplitCase{"different_addresses_sorted",
                  {{L"A", 2, 1, 1, 1, 2}, {L"A", 1, 9, 9, 9, 2}, {L"A", 1, 9, 9, 8, 3}},
                  {{L"A", 1, 9, 9, 8, 3}, {L"A", 1, 9, 9, 9, 2}, {L"A", 2, 1, 1, 1, 2}},
                  {}},
        SplitCase{"same_address_two_databases",
                  {{L"A", 1, 1, 1, 1, 3}, {L"A", 1, 1, 1, 1, 2}},
                  {},
                  {{L"A", 1, 1, 1, 1, 3}, {L"A", 1, 1, 1, 1, 2}}},
        SplitCase{"identical_in_any_case_kept_once",
                  {{L"A", 1, 1, 1, 1, 2}, {L"a", 1, 1, 1, 1, 2}},
                  {{L"A", 1, 1, 1, 1, 2}},
                  {}},
        SplitCase{"same_address_other_tag_is_a_duplicate",
                  {{L"A", 1, 1, 1, 1, 2}, {L"B", 1, 1, 1, 1, 2}, {L"C", 1, 1, 1, 2, 2}},
                  {{L"C", 1, 1, 1, 2, 2}},
                  {{L"A", 1, 1, 1, 1, 2}, {L"B", 1, 1, 1, 1, 2}}},
        SplitCase{"two_groups_each_contiguous",
                  {{L"X", 5, 5, 5, 5, 2},
                   {L"Y", 1, 1, 1, 1, 2},
                   {L"X", 5, 5, 5, 5, 3},
                   {L"Y", 1, 1, 1, 1, 3},
                   {L"Z", 3, 3, 3, 3, 2}},
                  {{L"Z", 3, 3, 3, 3, 2}},
                  {{L"Y", 1, 1, 1, 1, 2},
                   {L"Y", 1, 1, 1, 1, 3},
                   {L"X", 5, 5, 5, 5, 2},
                   {L"X", 5, 5, 5, 5, 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DuplicateSelection, RefusesSharedAddressesAndAsksAboutNone) {
    const std::vector<TagRecord> grouped{
        {L"Y", 1, 1, 1, 1, 2}, {L"Y", 1, 1, 1, 1, 3}, {L"X", 5, 5, 5, 5, 2}, {L"X", 5, 5, 5, 5, 3}};
    struct Case {
        std::vector<std::size_t> selected;
        DuplicateSelectionVerdict verdict;
    };
    for (const Case& c : {
             Case{{}, DuplicateSelectionVerdict::NothingSelected},
             Case{{1}, DuplicateSelectionVerdict::Accept},
             Case{{0, 3}, DuplicateSelectionVerdict::Accept},
             Case{{0, 1}, DuplicateSelectionVerdict::DuplicatesRemain},
             Case{{0, 2, 3}, DuplicateSelectionVerdict::DuplicatesRemain},
         }) {
        SCOPED_TRACE(::testing::PrintToString(c.selected));
        EXPECT_EQ(check_duplicate_selection(grouped, c.selected), c.verdict);
    }
}

TEST_F(TagTranslationTest, DuplicateChoiceAddsSinglesThenChosen) {
    struct Case {
        const char* name;
        std::optional<std::vector<std::size_t>> choice;
        std::vector<PointNode> added;
    };
    const PointNode pv2{L"PV-9", {9, 9, 9, 9}, 2};
    const PointNode pv3{L"PV-9", {9, 9, 9, 9}, 3};
    for (const Case& c :
         {Case{"first", std::vector<std::size_t>{0}, {pv2}},
          Case{"second", std::vector<std::size_t>{1}, {pv3}},
          Case{"none", std::vector<std::size_t>{}, {}}, Case{"cancel", std::nullopt, {}}}) {
        SCOPED_TRACE(c.name);
        lists = {};
        view.rows.clear();
        view.duplicate_offers.clear();
        view.duplicate_choice = c.choice;
        view.type_address(L"9", L"9", L"9", L"9", L"desc");

        translation.look_up_by_block();

        ASSERT_EQ(view.duplicate_offers.size(), 1u);
        EXPECT_EQ(view.duplicate_offers[0].size(), 2u);
        ASSERT_EQ(lists.points.size(), c.added.size());
        for (std::size_t i = 0; i < c.added.size(); ++i) {
            EXPECT_EQ(lists.points[i].address, c.added[i].address);
            EXPECT_EQ(lists.points[i].database_number, c.added[i].database_number);
        }
        // The Block field is emptied either way; the description only when a point came in.
        EXPECT_EQ(view.fields[LookupField::Block], L"");
        EXPECT_EQ(view.fields[LookupField::Description], c.added.empty() ? L"desc" : L"");
    }

    // By name, results at different addresses are all added, in address order, unasked.
    lists = {};
    view.duplicate_offers.clear();
    view.fields[LookupField::TagName] = L"ti-7";
    translation.look_up_by_tag_name();
    EXPECT_TRUE(view.duplicate_offers.empty());
    EXPECT_EQ(listed_entries(),
              (std::vector<std::wstring>{L"Module 4,5,6 Block 7 -- TI-7 -- " + kUnit1,
                                         L"Module 4,5,6 Block 8 -- TI-7 -- " + kUnit2}));
}

// --- adding results ---

struct PrefixCase {
    const char* name;
    PointNode listed;
    std::vector<std::wstring> typed; // loop, PCU, module, block, description
    bool added;
};

void PrintTo(const PrefixCase& c, std::ostream* os) {
    *os << c.name;
}

class AlreadyListed : public TagTranslationTest,
                      public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(AlreadyListed, ComparesOverTheListedAddressText) {
    const PrefixCase& c = GetParam();
    list_points({c.listed});
    const std::size_t rows_before = view.rows.size();
    view.type_address(c.typed[0], c.typed[1], c.typed[2], c.typed[3], c.typed[4]);

    translation.look_up_by_block();

    EXPECT_EQ(lists.points.size(), c.added ? 2u : 1u);
    EXPECT_EQ(view.rows.size(), rows_before + (c.added ? 1u : 0u));
    EXPECT_EQ(lists.changed, c.added);
    if (!c.added) {
        ASSERT_EQ(seat.boxes.size(), 1u);
        EXPECT_EQ(seat.boxes[0].caption, ids::Duplication);
        EXPECT_EQ(seat.boxes[0].formatted, L"Module " + c.typed[0] + L"," + c.typed[1] + L"," +
                                               c.typed[2] + L" Block " + c.typed[3] +
                                               L" -- Duplicate entry");
    } else {
        EXPECT_TRUE(seat.boxes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, AlreadyListed,
    ::testing::Values(
        PrefixCase{"same_address_no_database",
                   {L"NO_TAG", {4, 4, 4, 10}, 1},
                   {L"4", L"4", L"4", L"10", L""},
                   false},
        PrefixCase{"same_address_from_a_database",
                   {L"FIC-102", {1, 2, 3, 101}, 2},
                   {L"1", L"2", L"3", L"101", L""},
                   false},
        // The listed text is the shorter one, so block 100 begins with "... Block 10".
        PrefixCase{"longer_block_with_listed_digits_first",
                   {L"NO_TAG", {4, 4, 4, 10}, 1},
                   {L"4", L"4", L"4", L"100", L""},
                   false},
        PrefixCase{
            "shorter_block", {L"NO_TAG", {4, 4, 4, 100}, 1}, {L"4", L"4", L"4", L"10", L""}, true},
        PrefixCase{
            "other_module", {L"NO_TAG", {4, 4, 3, 10}, 1}, {L"4", L"4", L"30", L"10", L""}, true},
        PrefixCase{"detached_point_not_listed",
                   {L"NO_TAG", {4, 4, 4, 10}, 0},
                   {L"4", L"4", L"4", L"10", L""},
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TagTranslationTest, AddedPointGetsRowNodeAndFields) {
    struct Case {
        const char* name;
        std::vector<std::wstring> typed;
        bool monitoring;
        TagRow row;
        PointNode node;
    };
    for (const Case& c : {
             Case{"from_a_database",
                  {L"1", L"2", L"3", L"101", L"ignored"},
                  false,
                  {L"Module 1,2,3 Block 101", L"FIC-102", kUnit1, {1, 2, 3, 101}},
                  {L"FIC-102", {1, 2, 3, 101}, 2}},
             Case{"no_tag",
                  {L"4", L"5", L"6", L"70", L""},
                  true,
                  {L"Module 4,5,6 Block 70", L"NO_TAG", L"NO_DATABASE", {4, 5, 6, 70}},
                  {L"NO_TAG", {4, 5, 6, 70}, 1}},
             Case{"user_description",
                  {L"4", L"5", L"6", L"71", L"  Feed pump "},
                  true,
                  {L"Module 4,5,6 Block 71", L"FEED PUMP", L"USER_DESCRIPTION", {4, 5, 6, 71}},
                  {L"FEED PUMP", {4, 5, 6, 71}, 1}},
         }) {
        SCOPED_TRACE(c.name);
        lists = {};
        view.rows.clear();
        started.clear();
        repaints = 0;
        monitoring = c.monitoring;
        view.type_address(c.typed[0], c.typed[1], c.typed[2], c.typed[3], c.typed[4]);

        translation.look_up_by_block();

        ASSERT_EQ(view.rows.size(), 1u);
        EXPECT_EQ(view.rows[0].block_text, c.row.block_text);
        EXPECT_EQ(view.rows[0].tag, c.row.tag);
        EXPECT_EQ(view.rows[0].database_text, c.row.database_text);
        EXPECT_EQ(view.rows[0].address, c.row.address);
        ASSERT_EQ(lists.points.size(), 1u);
        EXPECT_EQ(lists.points[0].tag_name, c.node.tag_name);
        EXPECT_EQ(lists.points[0].address, c.node.address);
        EXPECT_EQ(lists.points[0].database_number, c.node.database_number);
        EXPECT_EQ(lists.point_count, 1u);
        EXPECT_TRUE(lists.changed);
        EXPECT_TRUE(translation.points_changed());
        EXPECT_EQ(repaints, 1);
        EXPECT_EQ(started, c.monitoring ? std::vector<BlockAddress>{c.node.address}
                                        : std::vector<BlockAddress>{});
        // Ready for the next block of the same module.
        EXPECT_EQ(view.fields[LookupField::Loop], c.typed[0]);
        EXPECT_EQ(view.fields[LookupField::Module], c.typed[2]);
        EXPECT_EQ(view.fields[LookupField::Block], L"");
        EXPECT_EQ(view.fields[LookupField::Description], L"");
    }
}

// --- deleting and showing rows ---

TEST_F(TagTranslationTest, DeleteEntriesDetachesTheMatchingPoints) {
    list_points({{L"FIC-101", {1, 2, 3, 100}, 2},
                 {L"PUMP", {4, 5, 6, 7}, 1},
                 {L"NO_TAG", {4, 5, 6, 8}, 1},
                 {L"FIC-101", {1, 2, 3, 100}, 3}});
    ASSERT_EQ(view.rows[1].database_text, L"USER_DESCRIPTION");

    monitoring = true;
    export_view = true;
    EXPECT_FALSE(translation.delete_entries(view.rows));
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::NoDeletionWhileMonitoringExportView});
    EXPECT_EQ(listed_entries().size(), 4u);
    EXPECT_FALSE(lists.changed);

    export_view = false; // monitoring in the Debug View
    const std::vector<TagRow> selected{view.rows[1], view.rows[3]};
    EXPECT_TRUE(translation.delete_entries(selected));
    EXPECT_EQ(listed_entries(),
              (std::vector<std::wstring>{L"Module 1,2,3 Block 100 -- FIC-101 -- " + kUnit1,
                                         L"Module 4,5,6 Block 8 -- NO_TAG -- NO_DATABASE"}));
    EXPECT_EQ(lists.points.size(), 4u); // detached, not erased
    EXPECT_EQ(lists.point_count, 2u);
    EXPECT_TRUE(lists.changed);
    EXPECT_EQ(stopped, (std::vector<BlockAddress>{{4, 5, 6, 7}, {1, 2, 3, 100}}));
    EXPECT_TRUE(translation.removed_while_monitoring());
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(tag_rows(lists.points, databases).size(), 2u);
}

TEST(TagRows, SortByEachColumnBothWays) {
    const std::vector<TagRow> rows{
        tag_row({2, 1, 1, 1}, L"beta", 2, L"c:\\b.dbf"),
        tag_row({1, 2, 1, 1}, L"Alpha", 1, L""),
        tag_row({1, 1, 9, 1}, L"", 2, L"C:\\A.DBF"),
    };
    ASSERT_EQ(rows[1].database_text, L"USER_DESCRIPTION");
    ASSERT_EQ(rows[2].tag, L"NO_TAG");
    struct Case {
        TagRowColumn column;
        bool ascending;
        std::vector<std::wstring> tags;
    };
    for (const Case& c : {
             Case{TagRowColumn::BlockNumber, true, {L"NO_TAG", L"Alpha", L"beta"}},
             Case{TagRowColumn::BlockNumber, false, {L"beta", L"Alpha", L"NO_TAG"}},
             Case{TagRowColumn::Tag, true, {L"Alpha", L"beta", L"NO_TAG"}},
             Case{TagRowColumn::Tag, false, {L"NO_TAG", L"beta", L"Alpha"}},
             Case{TagRowColumn::FromDatabase, true, {L"NO_TAG", L"beta", L"Alpha"}},
             Case{TagRowColumn::FromDatabase, false, {L"Alpha", L"beta", L"NO_TAG"}},
         }) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.column) << c.ascending);
        std::vector<TagRow> sorted = rows;
        sort_tag_rows(sorted, c.column, c.ascending);
        std::vector<std::wstring> tags;
        for (const TagRow& row : sorted)
            tags.push_back(row.tag);
        EXPECT_EQ(tags, c.tags);
    }
}

} // namespace
} // namespace brixtel
