#include "tags/tag_database_file.h"
#include "tags/text_database.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

// Little-endian UTF-16 bytes of the text; the marks U+FEFF / U+FFFE may be written into it.
std::string utf16(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

struct TextCase {
    const char* name;
    std::string bytes;
    bool is_tag_database;
    std::vector<TagRecord> records;
};

std::ostream& operator<<(std::ostream& out, const TextCase& c) {
    return out << c.name;
}

class TextDatabase : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextDatabase, ReadsTheRecordsTheFileHolds) {
    const TextCase& c = GetParam();
    testing::TempFolder folder;
    const TagFileContents contents = read_tag_database_file(folder.write("tags.csv", c.bytes));
    EXPECT_EQ(contents.is_tag_database, c.is_tag_database);
    EXPECT_EQ(contents.records, c.records);
}

const std::string header = "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, TextDatabase,
    ::testing::Values(
        TextCase{"Plain",
                 header + "FIC-101.PV,1,2,3,400\r\nTI-7,250,250,31,65535\r\n",
                 true,
                 {{L"FIC-101.PV", 1, 2, 3, 400}, {L"TI-7", 250, 250, 31, 65535}}},
        TextCase{"NoLineBreakAtTheEnd",
                 "TAGNAME,LOOP,PCU,MODULE,BLOCK\nA,1,1,1,1",
                 true,
                 {{L"A", 1, 1, 1, 1}}},
        TextCase{"LowerCaseHeaderWithQuotesAndBlanks",
                 "  \"tagname\" , loop,\" pcu \",Module,bLOCK  \nA,10,100,31,32000\n",
                 true,
                 {{L"A", 10, 100, 31, 32000}}},
        TextCase{"HeaderWithoutPcu", "TAGNAME,LOOP,MODULE,BLOCK\nA,1,2,3\nB,1,2,3,4\n", false, {}},
        TextCase{"PcuOnlyAsPartOfAName", "TAGNAME,LOOP,PCUS,MODULE,BLOCK\nA,1,2,3,4\n", false, {}},
        TextCase{"EmptyFile", "", false, {}}, TextCase{"HeaderOnly", header, true, {}},
        TextCase{"BlockLastTakesTheTextAfterTheLastComma",
                 header + "A,1,2,3,4,5\nB,1,2,3,4\n",
                 true,
                 {{L"A", 1, 2, 3, 5}, {L"B", 1, 2, 3, 4}}},
        TextCase{"ShortRowsAreDroppedAndTheRestIsRead",
                 header + "A,1,2,3\n\nno commas here\nB,1,2,3,7\n,,,,\n",
                 true,
                 {{L"B", 1, 2, 3, 7}, {L"", 0, 0, 0, 0}}},
        TextCase{"FiveFoundBeforeTheLastColumn",
                 "TAGNAME,LOOP,PCU,MODULE,BLOCK,DESCRIPTION\nA,1,2,3,4\nB,1,2,3,4,flow\n",
                 true,
                 {{L"B", 1, 2, 3, 4}}},
        TextCase{"ColumnsInAnyOrderFirstOfEachNameTaken",
                 "BLOCK,Descr,loop,LOOP,tagname,pcu,module\n"
                 "400,text,5,9,FIC,6,7\n",
                 true,
                 {{L"FIC", 5, 6, 7, 400}}},
        TextCase{"FieldsTrimmedOfQuotesOnly",
                 header + "\"FIC 101\",\"1\", 2 ,\"3\",\"\"4\"\"\n\" padded \",1,2,3,4\n",
                 true,
                 {{L"FIC 101", 1, 2, 3, 4}, {L" padded ", 1, 2, 3, 4}}},
        TextCase{"NumbersReadAsDecimalUpToTheFirstNonDigit",
                 header + "A,12x,0250,-1,99999999999\nB,,abc,3.7,1e3\n",
                 true,
                 {{L"A", 12, 250, -1, 2147483647}, {L"B", 0, 0, 3, 1}}},
        TextCase{"OemCharactersInEightBitText",
                 header + "\x8E\x99-\xE1,1,2,3,4\n",
                 true,
                 {{L"\u00C4\u00D6-\u00DF", 1, 2, 3, 4}}},
        TextCase{"Utf16WithByteOrderMark",
                 utf16(u"\uFEFFTAGNAME,LOOP,PCU,MODULE,BLOCK\r\n\u03A9mega,1,2,3,4\r\n"
                       u"\u6E29\u5EA6,5,6,7,8\r\n"),
                 true,
                 {{L"\u03A9mega", 1, 2, 3, 4}, {L"\u6E29\u5EA6", 5, 6, 7, 8}}},
        TextCase{"Utf16WithoutMark",
                 utf16(u"TagName,Loop,Pcu,Module,Block\r\nFIC-101,1,2,3,4\r\n"),
                 true,
                 {{L"FIC-101", 1, 2, 3, 4}}},
        TextCase{"LinesOfAMebibyteAmongTheRows",
                 header + "A,1,2,3,4\r\n" + std::string(1 << 20, 'T') + ",5,6,7,8\r\n" +
                     std::string(1 << 20, ',') + "\r\n" + std::string(1 << 20, 'x') +
                     "\r\nB,9,10,11,12\r\n",
                 true,
                 {{L"A", 1, 2, 3, 4},
                  {std::wstring(1 << 20, L'T'), 5, 6, 7, 8},
                  {L"", 0, 0, 0, 0},
                  {L"B", 9, 10, 11, 12}}},
        TextCase{"Utf16LastRowWithoutLineBreak",
                 utf16(u"\uFEFFTAGNAME,LOOP,PCU,MODULE,BLOCK\r\nA,1,2,3,4\r\nB,5,6,7,8"),
                 true,
                 {{L"A", 1, 2, 3, 4}, {L"B", 5, 6, 7, 8}}},
        TextCase{"ByteOrderMarksInTheMiddleAreSkipped",
                 utf16(u"\uFEFFTAGNAME,LOOP,PCU,MODULE,BLOCK\r\n\uFEFFFI\uFFFEC,1,2\uFEFF,3,4\r\n"
                       u"\uFFFE\uFEFFB,1,1,1,1\r\n"),
                 true,
                 {{L"FIC", 1, 2, 3, 4}, {L"B", 1, 1, 1, 1}}}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(TextDatabaseLines, TrimsBlanksAndLineBreaksAtBothEnds) {
    EXPECT_EQ(tag_file_lines("  a, b \r\n\r\n\tc\r\r\n"),
              (std::vector<std::wstring>{L"a, b", L"", L"\tc"}));
    EXPECT_EQ(tag_file_lines(utf16(u"\uFEFF x \r\n\uFEFF\r\ny")),
              (std::vector<std::wstring>{L"x", L"", L"y"}));
}

struct ExtensionCase {
    const char* file;
    bool dbase;
};

class DatabaseExtension : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(DatabaseExtension, ChoosesTheFormatByExtension) {
    const ExtensionCase& c = GetParam();
    const std::string name = c.file;
    EXPECT_EQ(is_dbase_path(std::wstring(name.begin(), name.end())), c.dbase) << c.file;
}

INSTANTIATE_TEST_SUITE_P(Names, DatabaseExtension,
                         ::testing::Values(ExtensionCase{"C:\\data\\tags.dbf", true},
                                           ExtensionCase{"C:\\data\\TAGS.DBF", true},
                                           ExtensionCase{"C:\\data\\tags.Dbf", true},
                                           ExtensionCase{"C:\\data\\tags.csv", false},
                                           ExtensionCase{"C:\\data\\tags.txt", false},
                                           ExtensionCase{"C:\\data\\tags.dbf.csv", false},
                                           ExtensionCase{"C:\\data.dbf\\tags", false},
                                           ExtensionCase{"C:\\data\\dbf", false}));

TEST(DatabaseExtension, ATxtFileIsReadAsText) {
    testing::TempFolder folder;
    const auto contents = read_tag_database_file(folder.write("tags.txt", header + "A,1,2,3,4\n"));
    EXPECT_EQ(contents.records, (std::vector<TagRecord>{{L"A", 1, 2, 3, 4}}));
}

TEST(DatabaseExtension, AMissingFileHoldsNothing) {
    testing::TempFolder folder;
    const auto contents = read_tag_database_file(folder.file("absent.csv"));
    EXPECT_FALSE(contents.is_tag_database);
    EXPECT_TRUE(contents.records.empty());
    EXPECT_FALSE(read_tag_database_file(folder.path().wstring()).is_tag_database);
}

} // namespace
} // namespace brixtel
