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
using Fields = std::vector<std::wstring>; // loop, PCU, module, block, description

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
    std::vector<std::vector<std::size_t>> preselections;

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
    choose_duplicates(std::span<const TagRecord> results,
                      std::span<const std::size_t> preselected) override {
        duplicate_offers.emplace_back(results.begin(), results.end());
        preselections.emplace_back(preselected.begin(), preselected.end());
        return duplicate_choice;
    }
};

class TagTranslationTest : public ::testing::Test {
  protected:
    // Database 4 was removed: its record stays in the index with number 0.
    std::vector<TagRecord> index{
        {L"fic-101", 1, 2, 3, 100, 2}, {L"FIC-102", 1, 2, 3, 101, 2}, {L"FIC-101", 1, 2, 3, 100, 3},
        {L"TI-7", 4, 5, 6, 8, 3},      {L"TI-7", 4, 5, 6, 7, 2},      {L"PV-9", 9, 9, 9, 9, 2},
        {L"PV-9", 9, 9, 9, 9, 3},      {L"GONE", 7, 7, 7, 7, 0},
    };
    FakeSeat seat;
    FakeDatabaseNames databases;
    TagListState lists;
    bool show_blk_check = true;
    std::vector<bool> saved_show_blk_check;
    bool monitoring = false;
    bool export_view = false;
    std::vector<BlockAddress> started, stopped;
    int repaints = 0;
    FakeTranslationView view;
    TagTranslation translation{
        TagTranslationPartners{
            seat, lists, databases, index, show_blk_check,
            [this](bool show) { saved_show_blk_check.push_back(show); },
            [this] { return monitoring; }, [this] { return monitoring && export_view; },
            [this](const BlockAddress& a) { started.push_back(a); },
            [this](const BlockAddress& a) { stopped.push_back(a); }, [this] { ++repaints; }},
        view};

    TagTranslationTest() {
        databases.slots[2] = kUnit1;
        databases.slots[3] = kUnit2;
    }

    // The dialog opens over these points.
    void open_over(const CurrentTagList& points) {
        lists = {};
        lists.points = points;
        lists.point_count = static_cast<std::uint32_t>(points.size());
        view.rows = tag_rows(lists.points, databases);
        view.focused.clear();
        seat.boxes.clear();
    }

    void look_up_block(const Fields& typed) {
        const LookupField order[] = {LookupField::Loop, LookupField::Pcu, LookupField::Module,
                                     LookupField::Block, LookupField::Description};
        for (std::size_t i = 0; i < 5; ++i)
            view.fields[order[i]] = i < typed.size() ? typed[i] : L"";
        translation.look_up_by_block();
    }

    void look_up_name(const std::wstring& name) {
        view.fields[LookupField::TagName] = name;
        translation.look_up_by_tag_name();
    }

    std::vector<std::wstring> listed() const { return entry_texts(lists.points, databases); }
};

TEST_F(TagTranslationTest, IndexLookupsSkipRemovedDatabasesAndUpperCaseTags) {
    using Records = std::vector<TagRecord>;
    const Records both{{L"FIC-101", 1, 2, 3, 100, 2}, {L"FIC-101", 1, 2, 3, 100, 3}};
    EXPECT_EQ(look_up_by_tag_name(index, L"fic-102"), (Records{{L"FIC-102", 1, 2, 3, 101, 2}}));
    EXPECT_EQ(look_up_by_tag_name(index, L"Fic-101"), both);
    EXPECT_EQ(look_up_by_tag_name(index, L"gone"), Records{});
    EXPECT_EQ(look_up_by_tag_name(index, L"FIC"), Records{});

    EXPECT_EQ(look_up_by_address(index, {1, 2, 3, 100}, L"x", L"NO_TAG"), both);
    EXPECT_EQ(look_up_by_address(index, {1, 2, 3, 99}, L"Pump", L"NO_TAG"),
              (Records{{L"Pump", 1, 2, 3, 99, 1}}));
    EXPECT_EQ(look_up_by_address(index, {7, 7, 7, 7}, L"", L"NO_TAG"),
              (Records{{L"NO_TAG", 7, 7, 7, 7, 1}}));
}

TEST_F(TagTranslationTest, BlockLookupChecksInOrderAndFocusesTheFieldToCorrect) {
    struct Case {
        const char* name;
        Fields typed;
        bool show_blk_check;
        bool confirm;
        StringId box; // 0: none
        std::optional<LookupField> focus;
        int questions;
        bool added;
    };
    using enum LookupField;
    const Case cases[] = {
        {"blank loop", {L"", L"1", L"0", L"0", L""}, true, true, 375, Loop, 0, false},
        {"letters in PCU", {L"1", L"x", L"0", L"0", L""}, true, true, 375, Pcu, 0, false},
        {"sign in module", {L"1", L"1", L"-1", L"0", L""}, true, true, 375, Module, 0, false},
        {"blank block first", {L"1", L"1", L"0", L" ", L"a,b"}, true, true, 375, Block, 0, false},
        {"comma", {L"1", L"1", L"0", L"0", L"a,b"}, true, true, 292, Description, 0, false},
        {"before ranges", {L"0", L"0", L"0", L"0", L";"}, true, true, 292, Description, 0, false},
        {"one hyphen", {L"1", L"1", L"0", L"0", L"a-b"}, true, true, 0, std::nullopt, 0, true},
        {"loop 251", {L"251", L"1", L"0", L"0", L""}, true, true, 57, Loop, 0, false},
        {"PCU 0", {L"1", L"0", L"0", L"0", L""}, true, true, 59, Pcu, 0, false},
        {"module 31", {L"250", L"250", L"31", L"0", L""}, true, true, 0, std::nullopt, 0, true},
        {"module 32", {L"1", L"1", L"32", L"0", L""}, true, true, 61, Module, 0, false},
        {"block 31999", {L"1", L"1", L"0", L"31999", L""}, true, true, 0, std::nullopt, 0, true},
        {"block 32000", {L"1", L"1", L"0", L"32000", L""}, true, true, 0, std::nullopt, 1, true},
        {"65535 declined", {L"1", L"1", L"0", L"65535", L""}, true, false, 0, Block, 1, false},
        {"65535 unasked",
         {L"1", L"1", L"0", L"65535", L""},
         false,
         false,
         0,
         std::nullopt,
         0,
         true},
        {"block 65536", {L"1", L"1", L"0", L"65536", L""}, true, true, 56, Block, 0, false},
        {"blanks around",
         {L" 1 ", L"\t2", L"3 ", L" 4", L""},
         true,
         true,
         0,
         std::nullopt,
         0,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open_over({});
        view.block_questions = 0;
        show_blk_check = c.show_blk_check;
        view.block_answers = {{c.confirm, false}};

        look_up_block(c.typed);

        EXPECT_EQ(seat.shown_texts(),
                  c.box ? std::vector<StringId>{c.box} : std::vector<StringId>{});
        EXPECT_EQ(view.focused, c.focus ? std::vector{*c.focus} : std::vector<LookupField>{});
        EXPECT_EQ(view.block_questions, c.questions);
        EXPECT_EQ(lists.points.size(), c.added ? 1u : 0u);
        // A refused entry is left for correcting.
        EXPECT_EQ(view.fields[Block], c.added ? L"" : c.typed[3]);
    }
}

TEST_F(TagTranslationTest, RefusalTextsNameTheFieldAndEveryForbiddenKind) {
    const std::wstring tail = L"\r\n\r\nYou will need to modify the description to remove these "
                              L"characters before Brixtel will proceed.";
    const std::wstring lead = L"The user description entered contains the following characters "
                              L"which Brixtel does not allow:\r\n\r\n";
    struct Case {
        Fields typed;
        std::wstring text;
    };
    for (const Case& c : {
             Case{{L"1", L"", L"", L"", L""},
                  L"The PCU field is blank - your entry will not be "
                  L"added.  Please enter a value and try again."},
             Case{{L"1", L"1", L"1", L"1", L"a,b"}, lead + L"comma (,)" + tail},
             Case{{L"1", L"1", L"1", L"1", L",;--"},
                  lead + L"double hyphen (--)\nsemi-colon (;)\ncomma (,)" + tail},
         }) {
        open_over({});
        look_up_block(c.typed);
        ASSERT_EQ(seat.boxes.size(), 1u);
        EXPECT_EQ(seat.boxes[0].formatted, c.text);
    }
}

TEST_F(TagTranslationTest, BlockQuestionTurnedOffByItsBoxOnEitherButton) {
    struct Case {
        FakeTranslationView::BlockAnswer answer;
        bool added;
    };
    for (const Case c : {Case{{true, false}, true}, Case{{false, false}, false},
                         Case{{false, true}, false}, Case{{true, true}, true}}) {
        SCOPED_TRACE(::testing::Message() << c.answer.ok << c.answer.do_not_show_again);
        open_over({});
        saved_show_blk_check.clear();
        show_blk_check = true;
        view.block_answers = {c.answer};

        look_up_block({L"1", L"1", L"0", L"40000"});

        EXPECT_EQ(lists.points.size(), c.added ? 1u : 0u);
        EXPECT_EQ(show_blk_check, !c.answer.do_not_show_again);
        EXPECT_EQ(saved_show_blk_check, std::vector<bool>{show_blk_check});
    }
    // Turned off by the last answer: the next high block comes in unasked.
    const int asked = view.block_questions;
    look_up_block({L"1", L"1", L"0", L"40001"});
    EXPECT_EQ(view.block_questions, asked);
    EXPECT_EQ(lists.points.size(), 2u);
}

TEST_F(TagTranslationTest, FiftyFirstPointRefusedInBothModes) {
    CurrentTagList points;
    for (std::int32_t i = 0; i < 49; ++i)
        points.push_back({L"", {1, 1, 1, 1000 + i}, 1});
    for (const bool by_name : {true, false}) {
        SCOPED_TRACE(by_name ? "by tag name" : "by block");
        open_over(points);
        const auto look_up = [&] {
            if (by_name)
                look_up_name(L"FIC-102");
            else
                look_up_block({L"1", L"2", L"3", L"101", L""});
        };
        look_up(); // the fiftieth comes in
        EXPECT_TRUE(seat.boxes.empty());
        look_up(); // refused before it could be found listed
        EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::TooManyPoints});
        EXPECT_EQ(view.rows.size(), 50u);
        EXPECT_EQ(lists.points.size(), 50u);
    }
}

TEST_F(TagTranslationTest, TagNameLookupEmptiesFieldsOnlyAfterAddingAPoint) {
    view.fields[LookupField::Description] = L"kept";
    look_up_name(L"  nope ");
    ASSERT_EQ(seat.boxes.size(), 1u);
    EXPECT_EQ(seat.boxes[0].formatted, L"No match found in database for tag <nope>");
    EXPECT_EQ(view.focused, std::vector<LookupField>{LookupField::TagName});
    EXPECT_EQ(view.fields[LookupField::Description], L"kept");

    seat.boxes.clear();
    look_up_name(L"   ");
    EXPECT_TRUE(seat.boxes.empty());

    look_up_name(L"fic-102");
    EXPECT_EQ(listed(),
              std::vector<std::wstring>{L"Module 1,2,3 Block 101 -- FIC-102 -- " + kUnit1});
    EXPECT_EQ(view.fields[LookupField::TagName], L"");
    EXPECT_EQ(view.fields[LookupField::Description], L"");
    EXPECT_EQ(view.focused.back(), LookupField::TagName);
}

TEST(DuplicateSplit, SortsKeepsIdenticalOnceAndGroupsSharedAddresses) {
    using Records = std::vector<TagRecord>;
    struct Case {
        const char* name;
        Records results, singles, grouped;
    };
    const TagRecord a1{L"A", 1, 1, 1, 1, 2}, a1_other_file{L"A", 1, 1, 1, 1, 3},
        b1{L"B", 1, 1, 1, 1, 2}, c2{L"C", 1, 1, 1, 2, 2}, x9{L"X", 9, 1, 1, 1, 2},
        x9_other_file{L"X", 9, 1, 1, 1, 3};
    for (const Case& c : {
             Case{"addresses sorted", {x9, c2, a1}, {a1, c2, x9}, {}},
             Case{"two files", {a1_other_file, a1}, {}, {a1_other_file, a1}},
             Case{"identical in any case", {a1, {L"a", 1, 1, 1, 1, 2}}, {a1}, {}},
             Case{"other tag same address", {c2, b1, a1}, {c2}, {b1, a1}},
             Case{"groups contiguous",
                  {x9, a1, c2, x9_other_file, b1},
                  {c2},
                  {a1, b1, x9, x9_other_file}},
         }) {
        SCOPED_TRACE(c.name);
        const DuplicateSplit split = split_duplicates(c.results);
        EXPECT_EQ(split.singles, c.singles);
        EXPECT_EQ(split.grouped, c.grouped);
    }
}

TEST(DuplicateSelection, RefusesSharedAddressesAndAsksAboutNone) {
    const std::vector<TagRecord> grouped{
        {L"Y", 1, 1, 1, 1, 2}, {L"Y", 1, 1, 1, 1, 3}, {L"X", 5, 5, 5, 5, 2}, {L"X", 5, 5, 5, 5, 3}};
    using enum DuplicateSelectionVerdict;
    struct Case {
        std::vector<std::size_t> selected;
        DuplicateSelectionVerdict verdict;
    };
    for (const Case& c : {Case{{}, NothingSelected}, Case{{1}, Accept}, Case{{0, 3}, Accept},
                          Case{{0, 1}, DuplicatesRemain}, Case{{0, 2, 3}, DuplicatesRemain}}) {
        SCOPED_TRACE(::testing::PrintToString(c.selected));
        EXPECT_EQ(check_duplicate_selection(grouped, c.selected), c.verdict);
    }
}

TEST_F(TagTranslationTest, DuplicateChoiceAddsSinglesThenChosen) {
    struct Case {
        std::optional<std::vector<std::size_t>> choice;
        std::vector<std::wstring> listed;
    };
    const std::wstring pv = L"Module 9,9,9 Block 9 -- PV-9 -- ";
    for (const Case& c : {Case{std::vector<std::size_t>{0}, {pv + kUnit1}},
                          Case{std::vector<std::size_t>{1}, {pv + kUnit2}},
                          Case{std::vector<std::size_t>{}, {}}, Case{std::nullopt, {}}}) {
        SCOPED_TRACE(::testing::PrintToString(c.choice));
        open_over({});
        view.duplicate_offers.clear();
        view.duplicate_choice = c.choice;

        look_up_block({L"9", L"9", L"9", L"9", L"desc"});

        ASSERT_EQ(view.duplicate_offers.size(), 1u);
        EXPECT_EQ(view.duplicate_offers[0].size(), 2u);
        EXPECT_EQ(listed(), c.listed);
        EXPECT_EQ(view.fields[LookupField::Block], L"");
        EXPECT_EQ(view.fields[LookupField::Description], c.listed.empty() ? L"desc" : L"");
    }

    // By name, results at different addresses are offered too, each already selected; OK
    // takes them in address order, Cancel takes none.
    for (const bool ok : {true, false}) {
        open_over({});
        view.duplicate_offers.clear();
        view.preselections.clear();
        view.duplicate_choice = ok ? std::optional<std::vector<std::size_t>>({0, 1}) : std::nullopt;
        look_up_name(L"ti-7");
        ASSERT_EQ(view.duplicate_offers.size(), 1u);
        EXPECT_EQ(view.preselections[0], (std::vector<std::size_t>{0, 1}));
        const std::vector<std::wstring> both{L"Module 4,5,6 Block 7 -- TI-7 -- " + kUnit1,
                                             L"Module 4,5,6 Block 8 -- TI-7 -- " + kUnit2};
        EXPECT_EQ(listed(), ok ? both : std::vector<std::wstring>{});
    }
}

TEST(DuplicateOffer, ListsEveryResultInAddressOrderWithLoneAddressesSelected) {
    const TagRecord a2{L"T", 1, 1, 1, 1, 2}, a3{L"T", 1, 1, 1, 1, 3}, b{L"T", 1, 1, 1, 2, 2},
        c{L"T", 2, 1, 1, 0, 3};
    const DuplicateOffer offer = duplicate_offer(split_duplicates({c, a3, b, a2}));
    EXPECT_EQ(offer.results, (std::vector<TagRecord>{a3, a2, b, c}));
    EXPECT_EQ(offer.preselected, (std::vector<std::size_t>{2, 3}));
}

TEST_F(TagTranslationTest, AddressAlreadyListedComparedOverTheListedText) {
    struct Case {
        const char* name;
        PointNode listed;
        Fields typed;
        bool added;
    };
    for (const Case& c : {
             Case{"same, no database",
                  {L"NO_TAG", {4, 4, 4, 10}, 1},
                  {L"4", L"4", L"4", L"10"},
                  false},
             Case{"same, from a file",
                  {L"FIC-102", {1, 2, 3, 101}, 2},
                  {L"1", L"2", L"3", L"101"},
                  false},
             // The listed text is the shorter one, so "... Block 100" begins with "... Block 10".
             Case{"longer block", {L"NO_TAG", {4, 4, 4, 10}, 1}, {L"4", L"4", L"4", L"100"}, false},
             Case{"shorter block", {L"NO_TAG", {4, 4, 4, 100}, 1}, {L"4", L"4", L"4", L"10"}, true},
             Case{"other module", {L"NO_TAG", {4, 4, 3, 10}, 1}, {L"4", L"4", L"30", L"10"}, true},
             Case{"detached", {L"NO_TAG", {4, 4, 4, 10}, 0}, {L"4", L"4", L"4", L"10"}, true},
         }) {
        SCOPED_TRACE(c.name);
        open_over({c.listed});
        const std::size_t rows = view.rows.size();

        look_up_block(c.typed);

        EXPECT_EQ(view.rows.size(), rows + (c.added ? 1 : 0));
        EXPECT_EQ(lists.changed, c.added);
        const std::wstring address = L"Module " + c.typed[0] + L"," + c.typed[1] + L"," +
                                     c.typed[2] + L" Block " + c.typed[3];
        if (c.added) {
            EXPECT_TRUE(seat.boxes.empty());
        } else {
            ASSERT_EQ(seat.boxes.size(), 1u);
            EXPECT_EQ(seat.boxes[0].caption, ids::Duplication);
            EXPECT_EQ(seat.boxes[0].formatted, address + L" -- Duplicate entry");
        }
    }
}

TEST_F(TagTranslationTest, AddedPointGetsRowNodeAndFields) {
    struct Case {
        Fields typed;
        bool monitoring;
        TagRow row;
        std::wstring listed;
    };
    for (const Case& c : {
             Case{{L"1", L"2", L"3", L"101", L"ignored"},
                  false,
                  {L"Module 1,2,3 Block 101", L"FIC-102", kUnit1, {1, 2, 3, 101}},
                  L"Module 1,2,3 Block 101 -- FIC-102 -- " + kUnit1},
             Case{{L"4", L"5", L"6", L"70", L""},
                  true,
                  {L"Module 4,5,6 Block 70", L"NO_TAG", L"NO_DATABASE", {4, 5, 6, 70}},
                  L"Module 4,5,6 Block 70 -- NO_TAG -- NO_DATABASE"},
             Case{{L"4", L"5", L"6", L"71", L"  Feed pump "},
                  true,
                  {L"Module 4,5,6 Block 71", L"FEED PUMP", L"USER_DESCRIPTION", {4, 5, 6, 71}},
                  L"Module 4,5,6 Block 71 -- FEED PUMP -- NO_DATABASE"},
         }) {
        SCOPED_TRACE(c.row.tag);
        open_over({});
        started.clear();
        repaints = 0;
        monitoring = c.monitoring;

        look_up_block(c.typed);

        EXPECT_EQ(view.rows, std::vector<TagRow>{c.row});
        EXPECT_EQ(listed(), std::vector<std::wstring>{c.listed});
        EXPECT_EQ(lists.point_count, 1u);
        EXPECT_TRUE(lists.changed);
        EXPECT_TRUE(translation.points_changed());
        EXPECT_EQ(repaints, 1);
        EXPECT_EQ(started, c.monitoring ? std::vector{c.row.address} : std::vector<BlockAddress>{});
        // Ready for the next block of the same module.
        EXPECT_EQ(view.fields[LookupField::Loop], c.typed[0]);
        EXPECT_EQ(view.fields[LookupField::Module], c.typed[2]);
        EXPECT_EQ(view.fields[LookupField::Description], L"");
    }
}

TEST_F(TagTranslationTest, DeleteEntriesDetachesTheMatchingPoints) {
    open_over({{L"FIC-101", {1, 2, 3, 100}, 2},
               {L"PUMP", {4, 5, 6, 7}, 1},
               {L"NO_TAG", {4, 5, 6, 8}, 1},
               {L"FIC-101", {1, 2, 3, 100}, 3}});
    ASSERT_EQ(view.rows[1].database_text, L"USER_DESCRIPTION");

    monitoring = true;
    export_view = true;
    EXPECT_FALSE(translation.delete_entries(view.rows));
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::NoDeletionWhileMonitoringExportView});
    EXPECT_EQ(listed().size(), 4u);
    EXPECT_FALSE(lists.changed);

    export_view = false; // monitoring in the Debug View
    EXPECT_TRUE(translation.delete_entries(std::vector<TagRow>{view.rows[1], view.rows[3]}));
    EXPECT_EQ(listed(),
              (std::vector<std::wstring>{L"Module 1,2,3 Block 100 -- FIC-101 -- " + kUnit1,
                                         L"Module 4,5,6 Block 8 -- NO_TAG -- NO_DATABASE"}));
    EXPECT_EQ(lists.points.size(), 4u); // detached, not erased
    EXPECT_EQ(lists.point_count, 2u);
    EXPECT_TRUE(lists.changed);
    EXPECT_EQ(stopped, (std::vector<BlockAddress>{{4, 5, 6, 7}, {1, 2, 3, 100}}));
    EXPECT_TRUE(translation.removed_while_monitoring());
    EXPECT_EQ(repaints, 1);
}

TEST(TagRows, SortByEachColumnBothWays) {
    const std::vector<TagRow> rows{tag_row({2, 1, 1, 1}, L"beta", 2, L"c:\\b.dbf"),
                                   tag_row({1, 2, 1, 1}, L"Alpha", 1, L""),
                                   tag_row({1, 1, 9, 1}, L"", 2, L"C:\\A.DBF")};
    ASSERT_EQ(rows[1].database_text, L"USER_DESCRIPTION");
    ASSERT_EQ(rows[2].tag, L"NO_TAG");
    using enum TagRowColumn;
    struct Case {
        TagRowColumn column;
        bool ascending;
        std::vector<std::wstring> tags;
    };
    for (const Case& c : {Case{BlockNumber, true, {L"NO_TAG", L"Alpha", L"beta"}},
                          Case{BlockNumber, false, {L"beta", L"Alpha", L"NO_TAG"}},
                          Case{Tag, true, {L"Alpha", L"beta", L"NO_TAG"}},
                          Case{Tag, false, {L"NO_TAG", L"beta", L"Alpha"}},
                          Case{FromDatabase, true, {L"NO_TAG", L"beta", L"Alpha"}},
                          Case{FromDatabase, false, {L"Alpha", L"beta", L"NO_TAG"}}}) {
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
