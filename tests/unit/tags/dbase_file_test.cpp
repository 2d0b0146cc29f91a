#include "tags/dbase_file.h"
#include "tags/tag_database_file.h"

#include "dbase_writer.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::dbf_record;
using testing::DbfField;
using testing::DbfTable;

const std::vector<DbfField> five = {
    {"TAGNAME", 12}, {"LOOP", 3}, {"PCU", 3}, {"MODULE", 3}, {"BLOCK", 5}};

std::string row(const std::vector<std::string>& values,
                const std::vector<DbfField>& fields = five) {
    return dbf_record(fields, values);
}

struct DbaseCase {
    const char* name;
    DbfTable table;
    bool is_tag_database;
    std::vector<TagRecord> records;
};

std::ostream& operator<<(std::ostream& out, const DbaseCase& c) {
    return out << c.name;
}

class DbaseTable : public ::testing::TestWithParam<DbaseCase> {};

TEST_P(DbaseTable, ReadsTheLiveRecords) {
    const DbaseCase& c = GetParam();
    testing::TempFolder folder;
    const auto contents =
        read_tag_database_file(folder.write("tags.DBF", testing::dbf_bytes(c.table)));
    EXPECT_EQ(contents.is_tag_database, c.is_tag_database);
    EXPECT_EQ(contents.records, c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, DbaseTable,
    ::testing::Values(
        DbaseCase{"FiveFields",
                  {five,
                   {row({"FIC-101.PV", "  1", "  2", "  3", "  400"}),
                    row({" TI 7", "250", "250", " 31", "65535"})}},
                  true,
                  {{L"FIC-101.PV", 1, 2, 3, 400}, {L" TI 7", 250, 250, 31, 65535}}},
        DbaseCase{"DeletedRecordsAreSkipped",
                  {five,
                   {row({"A", "1", "1", "1", "1"}), row({"B", "2", "2", "2", "2"}),
                    row({"C", "3", "3", "3", "3"})},
                   {false, true, false}},
                  true,
                  {{L"A", 1, 1, 1, 1}, {L"C", 3, 3, 3, 3}}},
        DbaseCase{"EmptyFieldsCountAsZero",
                  {five, {row({"", "", "", "", ""})}},
                  true,
                  {{L"", 0, 0, 0, 0}}},
        DbaseCase{
            "OtherFieldsShiftTheOffsets",
            {{{"DESC", 20},
              {"TAG_NAME", 8},
              {"X", 2},
              {"LOOPNO", 4},
              {"PCU_NUM", 4},
              {"DESC2", 1},
              {"module", 2},
              {"BLOCKNUM", 6}},
             {dbf_record({{"", 20}, {"", 8}, {"", 2}, {"", 4}, {"", 4}, {"", 1}, {"", 2}, {"", 6}},
                         {"a description", "T1", "zz", "12", "101", "q", "30", "31999"})}},
            true,
            {{L"T1", 12, 101, 30, 31999}}},
        DbaseCase{"FieldsMustFollowEachOther",
                  {{{"BLOCK", 5}, {"TAGNAME", 8}, {"LOOP", 3}, {"PCU", 3}, {"MODULE", 3}},
                   {"    1A       1  1  1"}},
                  false,
                  {}},
        DbaseCase{
            "NameFoundBeforeItsDuplicate",
            {{{"NAME", 4}, {"ALTNAME", 4}, {"LOOP", 2}, {"PCU", 2}, {"MODULE", 2}, {"BLOCK", 2}},
             {"AAAABBBB1 2 3 4 "}},
            true,
            {{L"AAAA", 1, 2, 3, 4}}},
        DbaseCase{"MissingBlockField",
                  {{{"TAGNAME", 8}, {"LOOP", 3}, {"PCU", 3}, {"MODULE", 3}}, {"A       1  1  1"}},
                  false,
                  {}},
        DbaseCase{"OemCharactersAndNullPadding",
                  {five, {std::string("\x8E\x99-\xE1\0\0\0\0\0\0\0\0", 12) + "  1  2  3    4"}},
                  true,
                  {{L"\u00C4\u00D6-\u00DF", 1, 2, 3, 4}}},
        // The count is 32 bits wide: neither its low half alone nor a sign may cut it short.
        DbaseCase{"CountOfWholeSixtyFourKi",
                  {five,
                   {row({"A", "1", "1", "1", "1"}), row({"B", "2", "2", "2", "2"})},
                   {},
                   0x00010000},
                  true,
                  {{L"A", 1, 1, 1, 1}, {L"B", 2, 2, 2, 2}}},
        DbaseCase{"CountWithItsSixteenthBitSet",
                  {five, {row({"A", "1", "1", "1", "1"})}, {}, 0x8001},
                  true,
                  {{L"A", 1, 1, 1, 1}}},
        DbaseCase{"CountOfFourBillionReadsWhatIsThere",
                  {five, {row({"A", "1", "1", "1", "1"})}, {}, 0xFFFFFFFF},
                  true,
                  {{L"A", 1, 1, 1, 1}}},
        DbaseCase{"CountBeyondTheFileReadsWhatIsThere",
                  {five, {row({"A", "1", "1", "1", "1"}), row({"B", "2", "2", "2", "2"})}, {}, 500},
                  true,
                  {{L"A", 1, 1, 1, 1}, {L"B", 2, 2, 2, 2}}},
        DbaseCase{"HeaderLengthBoundsTheDescriptors",
                  {five, {row({"A", "1", "1", "1", "1"})}, {}, -1, 32 + 4 * 32},
                  false,
                  {}},
        DbaseCase{"FieldsLongerThanTheRecord",
                  {five, {row({"A", "1", "1", "1", "1"})}, {}, -1, -1, 20},
                  false,
                  {}},
        DbaseCase{"LongerRecordsKeepTheirOffsets",
                  {five,
                   {row({"A", "1", "1", "1", "1"}) + "spare", row({"B", "2", "2", "2", "2"})},
                   {},
                   -1,
                   -1,
                   1 + 26 + 5},
                  true,
                  {{L"A", 1, 1, 1, 1}, {L"B", 2, 2, 2, 2}}}),
    [](const ::testing::TestParamInfo<DbaseCase>& info) { return std::string(info.param.name); });

TEST(DbaseTable, TableOfMoreRecordsThanSixteenBitsCountIsReadWhole) {
    constexpr int kRecords = 100000;
    DbfTable table{five};
    for (int i = 1; i <= kRecords; ++i)
        table.records.push_back(
            row({"T" + std::to_string(i), "1", "2", "3", std::to_string(i % 30000)}));
    const TagFileContents contents = read_dbase_tags(testing::dbf_bytes(table));
    ASSERT_EQ(contents.records.size(), static_cast<std::size_t>(kRecords));
    EXPECT_EQ(contents.records.back(), (TagRecord{L"T100000", 1, 2, 3, 10000}));
}

TEST(DbaseTable, TruncatedHeaderIsNotATagDatabase) {
    const std::string bytes = testing::dbf_bytes({five, {row({"A", "1", "1", "1", "1"})}});
    for (std::size_t size : {0, 1, 31, 32, 100, 191}) {
        const auto contents = read_dbase_tags(std::string_view(bytes).substr(0, size));
        EXPECT_FALSE(contents.is_tag_database) << size;
        EXPECT_TRUE(contents.records.empty()) << size;
    }
}

// Tables written by shapelib's command-line tools, an independent dBASE writer.
class ShapelibTable : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("command -v dbfcreate >/dev/null 2>&1 && "
                        "command -v dbfadd >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "dbfcreate/dbfadd (Debian package shapelib) are not installed";
        }
    }

    static std::string quoted(const std::string& text) {
        std::string out = "'";
        for (char c : text) {
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return out + "'";
    }

    bool run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }

    testing::TempFolder folder;
};

TEST_F(ShapelibTable, EveryLiveRecordIsRead) {
    const std::string file = (folder.path() / "plant.dbf").string();
    ASSERT_TRUE(run("dbfcreate " + quoted(file) +
                    " -s DESCR 16 -s TAGNAME 12 -n LOOP 3 0 -n PCU 3 0 -n MODULE 3 0 "
                    "-n BLOCK 5 0 -n SPAN 8 2"));
    const std::vector<std::vector<std::string>> rows = {
        {"feed flow", "FIC-101.PV", "1", "2", "3", "400", "12.5"},
        {"to be deleted", "OLD-1", "9", "9", "9", "9", "0"},
        {"", "TI-7", "250", "250", "31", "65535", "1"},
        {"no numbers", "BLANK", "", "", "", "", ""},
        {"last", "a b", "10", "100", "0", "31999", "-3.25"},
    };
    for (const auto& values : rows) {
        std::string command = "dbfadd " + quoted(file);
        for (const auto& v : values) {
            command += " " + quoted(v);
        }
        ASSERT_TRUE(run(command)) << command;
    }

    // Mark the second record deleted: its first byte sits at header length + 1 x record length.
    std::fstream dbf(file, std::ios::in | std::ios::out | std::ios::binary);
    unsigned char header[12] = {};
    dbf.read(reinterpret_cast<char*>(header), sizeof header);
    const unsigned header_length = header[8] | header[9] << 8;
    const unsigned record_length = header[10] | header[11] << 8;
    dbf.seekp(header_length + 1 * record_length);
    dbf.put('*');
    dbf.close();

    const auto contents = read_tag_database_file(folder.file("plant.dbf"));
    EXPECT_TRUE(contents.is_tag_database);
    EXPECT_EQ(contents.records, (std::vector<TagRecord>{{L"FIC-101.PV", 1, 2, 3, 400},
                                                        {L"TI-7", 250, 250, 31, 65535},
                                                        {L"BLANK", 0, 0, 0, 0},
                                                        {L"a b", 10, 100, 0, 31999}}));
}

TEST_F(ShapelibTable, TableWithoutTagFieldsHoldsNothing) {
    const std::string file = (folder.path() / "other.dbf").string();
    ASSERT_TRUE(run("dbfcreate " + quoted(file) + " -s NAME 10 -n LOOP 3 0 -n MODULE 3 0"));
    ASSERT_TRUE(run("dbfadd " + quoted(file) + " A 1 2"));
    const auto contents = read_tag_database_file(folder.file("other.dbf"));
    EXPECT_FALSE(contents.is_tag_database);
    EXPECT_TRUE(contents.records.empty());
}

} // namespace
} // namespace brixtel
