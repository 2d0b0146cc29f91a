#include "tags/tag_lookup_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

TEST(DescriptionLength, CutOnlyPastTwentyCharacters) {
    const struct {
        std::wstring typed;
        std::optional<std::wstring> cut;
    } cases[] = {
        {L"", std::nullopt},
        {L"TWENTY CHARACTERS OK", std::nullopt},
        {L"TWENTY CHARACTERS OK!", L"TWENTY CHARACTERS OK"},
        {L"   blanks count as characters", L"   blanks count as c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cut_description(c.typed), c.cut) << std::string(c.typed.begin(), c.typed.end());
}

TEST(BlockModeFocus, FirstEmptyNumberFieldElseBlock) {
    const struct {
        std::array<std::wstring, 4> numbers;
        LookupField focused;
    } cases[] = {
        {{L"", L"", L"", L""}, LookupField::Loop},
        {{L"1", L"", L"", L""}, LookupField::Pcu},
        {{L"1", L"2", L"", L"4"}, LookupField::Module},
        {{L"1", L"2", L"3", L""}, LookupField::Block},
        {{L"", L"2", L"3", L"4"}, LookupField::Loop},
        {{L"1", L"2", L"3", L"4"}, LookupField::Block},
    };
    for (const auto& c : cases)
        EXPECT_EQ(first_empty_number_field(c.numbers), c.focused)
            << std::string(c.numbers[0].begin(), c.numbers[0].end()) << "|"
            << std::string(c.numbers[1].begin(), c.numbers[1].end()) << "|"
            << std::string(c.numbers[2].begin(), c.numbers[2].end()) << "|"
            << std::string(c.numbers[3].begin(), c.numbers[3].end());
}

TEST(HeaderClicks, FirstClickUpwardRepeatedClicksTurnTheOrderRound) {
    RowSortOrder order;
    const struct {
        TagRowColumn clicked;
        bool ascending;
    } clicks[] = {
        {TagRowColumn::Tag, true},           {TagRowColumn::Tag, false},
        {TagRowColumn::Tag, true},           {TagRowColumn::Tag, false},
        {TagRowColumn::BlockNumber, true},   {TagRowColumn::FromDatabase, true},
        {TagRowColumn::FromDatabase, false}, {TagRowColumn::Tag, true},
    };
    int click = 0;
    for (const auto& c : clicks)
        EXPECT_EQ(order.click(c.clicked), c.ascending) << "click " << ++click;
}

TagRow row(std::int32_t block, const wchar_t* tag) {
    const BlockAddress address{1, 2, 3, block};
    return TagRow{L"Module 1,2,3 Block " + std::to_wstring(block), tag, L"NO_DATABASE", address};
}

TEST(SortedSelection, SelectedRowsStaySelectedWhereverTheyMove) {
    const std::vector<TagRow> before{row(30, L"C"), row(10, L"A"), row(20, L"B"), row(10, L"A")};
    const struct {
        const char* name;
        std::vector<bool> selected;
        std::vector<TagRow> after;
        std::vector<bool> carried;
    } cases[] = {
        {"NoneSelected",
         {false, false, false, false},
         {row(10, L"A"), row(10, L"A"), row(20, L"B"), row(30, L"C")},
         {false, false, false, false}},
        {"OneMovesToTheEnd",
         {true, false, false, false},
         {row(10, L"A"), row(10, L"A"), row(20, L"B"), row(30, L"C")},
         {false, false, false, true}},
        {"OneOfTwoEqualRowsKeepsOneSelection",
         {false, false, false, true},
         {row(30, L"C"), row(20, L"B"), row(10, L"A"), row(10, L"A")},
         {false, false, true, false}},
        {"EveryRow",
         {true, true, true, true},
         {row(30, L"C"), row(20, L"B"), row(10, L"A"), row(10, L"A")},
         {true, true, true, true}},
        {"SameTagOtherAddressIsAnotherRow",
         {false, true, false, false},
         {row(11, L"A"), row(10, L"A"), row(20, L"B"), row(30, L"C")},
         {false, true, false, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(carry_selection(before, c.selected, c.after), c.carried) << c.name;
}

} // namespace
} // namespace brixtel
