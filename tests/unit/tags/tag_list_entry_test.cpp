#include "tags/tag_list_entry.h"

#include "tag_list_fakes.h"

#include <gtest/gtest.h>

#include <string>

namespace brixtel {
namespace {

using testing::FakeDatabaseNames;

struct EntryCase {
    const char* name;
    const wchar_t* text;
    bool is_entry;
    BlockAddress address;
    const wchar_t* tag;
    const wchar_t* database;
};

void PrintTo(const EntryCase& c, std::ostream* os) {
    *os << c.name;
}

class EntryText : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryText, SplitsIntoAddressTagAndDatabase) {
    const EntryCase& c = GetParam();
    const auto fields = read_tag_entry(c.text);
    ASSERT_EQ(fields.has_value(), c.is_entry);
    if (!fields)
        return;
    EXPECT_EQ(fields->address, c.address);
    EXPECT_EQ(fields->tag_name, c.tag);
    EXPECT_EQ(fields->database_name, c.database);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, EntryText,
    ::testing::Values(
        EntryCase{"Standard",
                  L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF",
                  true,
                  {1, 2, 3, 100},
                  L"FIC-101",
                  L"C:\\DB\\UNIT1.DBF"},
        EntryCase{"ReadUpperCase",
                  L"module 1,2,3 block 100 -- fic-101 -- c:\\db\\unit1.dbf",
                  true,
                  {1, 2, 3, 100},
                  L"FIC-101",
                  L"C:\\DB\\UNIT1.DBF"},
        EntryCase{"Markers",
                  L"Module 4,5,6 Block 7 -- NO_TAG -- NO_DATABASE",
                  true,
                  {4, 5, 6, 7},
                  L"NO_TAG",
                  L"NO_DATABASE"},
        EntryCase{"UnparsableAddressIsZero",
                  L"Module 1,2 Block 100 -- T -- D",
                  true,
                  {0, 0, 0, 0},
                  L"T",
                  L"D"},
        EntryCase{"EmptyFields", L"Module 1,2,3 Block 4 --  -- ", true, {1, 2, 3, 4}, L"", L""},
        // The second "--" is looked for from three characters after the first.
        EntryCase{"AdjacentSeparators", L"x -- -- y", true, {0, 0, 0, 0}, L"", L"Y"},
        EntryCase{"SeparatorsTooClose", L"x ---- y", false, {}, L"", L""},
        EntryCase{"OnlyOneSeparator", L"Module 1,2,3 Block 100 -- FIC-101", false, {}, L"", L""},
        EntryCase{"NoSeparator", L"Module 1,2,3 Block 100", false, {}, L"", L""},
        EntryCase{"Empty", L"", false, {}, L"", L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EntryTextForms, StoredAndDisplayFormsSwapOnlyWholeMarkerFields) {
    const std::wstring text = L"Module 1,2,3 Block 100 -- NO_TAG -- NO_DATABASE";
    EXPECT_EQ(to_stored_form(text), text);
    EXPECT_EQ(to_display_form(text), text);
    // A tag that merely contains a marker is a tag name like any other.
    const std::wstring tagged = L"Module 1,2,3 Block 100 -- XNO_TAG -- C:\\NO_DATABASE.DBF";
    EXPECT_EQ(to_display_form(tagged), tagged);
    EXPECT_EQ(to_stored_form(L"not an entry"), L"not an entry");
}

TEST(EntryTextForms, FormatsTheOneLineForm) {
    EXPECT_EQ(tag_entry_text({1, 2, 3, 100}, L"FIC-101", L"C:\\DB\\UNIT1.DBF"),
              L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF");
    EXPECT_EQ(tag_entry_text({-1, 0, 0, 0}, L"", L""), L"Module -1,0,0 Block 0 --  -- ");
}

class CurrentList : public ::testing::Test {
  protected:
    FakeDatabaseNames databases;
    CurrentList() { databases.slots[2] = L"C:\\DB\\UNIT1.DBF"; }
};

TEST_F(CurrentList, DetachedPointsAreLeftOutOfTheTexts) {
    const CurrentTagList points{{L"A", {1, 2, 3, 4}, 2},
                                {L"B", {1, 2, 3, 5}, kDetachedDatabase},
                                {L"", {1, 2, 3, 6}, kNoDatabaseNumber}};
    EXPECT_EQ(entry_texts(points, databases),
              (std::vector<std::wstring>{L"Module 1,2,3 Block 4 -- A -- C:\\DB\\UNIT1.DBF",
                                         L"Module 1,2,3 Block 6 -- NO_TAG -- NO_DATABASE"}));
}

TEST_F(CurrentList, DatabaseNumberComesFromTheKnownPathAnyCase) {
    CurrentTagList points;
    ASSERT_TRUE(append_point(points, L"Module 1,2,3 Block 4 -- a -- c:\\db\\unit1.dbf", databases));
    ASSERT_TRUE(append_point(points, L"Module 1,2,3 Block 5 -- B -- C:\\OTHER.DBF", databases));
    ASSERT_TRUE(append_point(points, L"Module 1,2,3 Block 6 -- C -- NO_DATABASE", databases));
    EXPECT_FALSE(append_point(points, L"Module 1,2,3 Block 7 -- D", databases));
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].database_number, 2);
    EXPECT_EQ(points[0].tag_name, L"A");
    EXPECT_EQ(points[1].database_number, kNoDatabaseNumber);
    EXPECT_EQ(points[2].database_number, kNoDatabaseNumber);
}

TEST_F(CurrentList, TextsReadBackToTheSamePoints) {
    const CurrentTagList points{{L"FIC-101", {1, 2, 3, 100}, 2},
                                {L"NO_TAG", {7, 0, 12, 9999}, kNoDatabaseNumber}};
    CurrentTagList read;
    for (const std::wstring& text : entry_texts(points, databases))
        ASSERT_TRUE(append_point(read, text, databases));
    ASSERT_EQ(read.size(), points.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].address, points[i].address);
        EXPECT_EQ(read[i].tag_name, points[i].tag_name);
        EXPECT_EQ(read[i].database_number, points[i].database_number);
    }
}

} // namespace
} // namespace brixtel
