#include "logging/log_path.h"

#include "logging/fake_log_folder_system.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::FakeLogFolderSystem;
using testing::FakeSeat;

constexpr LocalTime kToday{2021, 3, 4, 4, 9, 30, 0, 0};

struct DateCase {
    const char* name;
    std::optional<std::wstring> short_date;
    std::wstring expected;
};

class FileDateText : public ::testing::TestWithParam<DateCase> {};

TEST_P(FileDateText, KeepsOnlyWhatAFileNameMayHold) {
    EXPECT_EQ(file_date_text(GetParam().short_date, kToday), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, FileDateText,
    ::testing::Values(DateCase{"Slashes", L"3/4/21", L"3_4_21"},
                      DateCase{"DotsStay", L"04.03.21", L"04.03.21"},
                      DateCase{"DashesStay", L"2021-03-04", L"2021-03-04"},
                      DateCase{"EdgesLeaveNoUnderscore", L"/3/4/21/", L"3_4_21"},
                      DateCase{"RunsMakeOneUnderscore", L"3//4::21", L"3_4_21"},
                      DateCase{"EveryBreaker", L"a|b<c>d*e?f/g\"h:i", L"a_b_c_d_e_f_g_h_i"},
                      DateCase{"NoDateGivesDigits", std::nullopt, L"20210304"}),
    [](const auto& info) { return info.param.name; });

struct PathCase {
    const char* name;
    LogFileSetting setting;
    bool debug_view;
    std::wstring expected;
};

class LogPathRule : public ::testing::TestWithParam<PathCase> {};

TEST_P(LogPathRule, BuildsTheFileOfTheSettingAndView) {
    const PathCase& c = GetParam();
    EXPECT_EQ(log_path(c.setting, L"3_4_21", c.debug_view), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LogPathRule,
    ::testing::Values(
        PathCase{
            "DatedExport", {L"C:\\Logs", L"Plant", true}, false, L"C:\\Logs\\Plant_3_4_21.CSV"},
        PathCase{"DatedDebug", {L"C:\\Logs", L"Plant", true}, true, L"C:\\Logs\\Plant_3_4_21.LOG"},
        PathCase{"Undated", {L"C:\\Logs", L"Plant", false}, false, L"C:\\Logs\\Plant.CSV"},
        PathCase{"FolderEndingInBackslash", {L"C:\\", L"Plant", false}, true, L"C:\\Plant.LOG"},
        PathCase{
            "OwnExtensionStays", {L"C:\\Logs", L"run.txt", false}, false, L"C:\\Logs\\run.txt.CSV"},
        PathCase{"DottedBaseName",
                 {L"D:\\Plant\\Logs", L"unit1.run", true},
                 false,
                 L"D:\\Plant\\Logs\\unit1.run_3_4_21.CSV"},
        PathCase{"NoFolder", {L"", L"Brixtel", false}, false, L"Brixtel.CSV"}),
    [](const auto& info) { return info.param.name; });

TEST(LogPathRule, DottedDateKeepsItsDotsBeforeTheExtension) {
    EXPECT_EQ(log_path({L"C:\\Logs", L"Plant", true}, L"04.03.21", false),
              L"C:\\Logs\\Plant_04.03.21.CSV");
}

// ---- Creating a folder the user typed ---------------------------------------------------------

struct FolderCase {
    const char* name;
    std::wstring path;
    std::vector<std::wstring> existing;
    std::vector<std::wstring> refused;
    bool created;
    std::vector<std::wstring> made; // in order
    StringId message;               // 0: none
    std::wstring insert;
};

class CreateLogFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(CreateLogFolder, MakesEachMissingLevelOrSaysWhichFailed) {
    const FolderCase& c = GetParam();
    FakeSeat seat;
    FakeLogFolderSystem folders;
    folders.folders.insert(c.existing.begin(), c.existing.end());
    folders.refused_folders.insert(c.refused.begin(), c.refused.end());

    EXPECT_EQ(create_log_folder(seat, folders, c.path), c.created);
    EXPECT_EQ(folders.created, c.made);
    if (c.message == 0) {
        EXPECT_TRUE(seat.boxes.empty());
        return;
    }
    ASSERT_EQ(seat.boxes.size(), 1u);
    EXPECT_EQ(seat.boxes[0].text, c.message);
    EXPECT_NE(seat.boxes[0].formatted.find(c.insert), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, CreateLogFolder,
    ::testing::Values(
        FolderCase{"AlreadyThere", L"C:\\Logs", {L"C:\\", L"C:\\Logs"}, {}, true, {}, 0, L""},
        FolderCase{"LevelByLevel",
                   L"C:\\Logs\\Plant\\Unit 1",
                   {L"C:\\"},
                   {},
                   true,
                   {L"C:\\Logs", L"C:\\Logs\\Plant", L"C:\\Logs\\Plant\\Unit 1"},
                   0,
                   L""},
        FolderCase{"FromADeeperFolder",
                   L"C:\\Logs\\Plant\\Unit 1",
                   {L"C:\\", L"C:\\Logs"},
                   {},
                   true,
                   {L"C:\\Logs\\Plant", L"C:\\Logs\\Plant\\Unit 1"},
                   0,
                   L""},
        FolderCase{"UncShare",
                   L"\\\\server\\share\\logs",
                   {L"\\\\server\\share"},
                   {},
                   true,
                   {L"\\\\server\\share\\logs"},
                   0,
                   L""},
        FolderCase{"NothingExists",
                   L"Q:\\Logs\\Plant",
                   {},
                   {},
                   false,
                   {},
                   ids::LogFolderHasNoRoot,
                   L"Q:\\Logs\\Plant"},
        FolderCase{"NamesTheFirstFailure",
                   L"C:\\Logs\\Plant\\Unit 1",
                   {L"C:\\"},
                   {L"C:\\Logs\\Plant"},
                   false,
                   {L"C:\\Logs"},
                   ids::LogFolderNotCreated,
                   L"<C:\\Logs\\Plant>"}),
    [](const auto& info) { return info.param.name; });

// ---- Explorer on the log folder ---------------------------------------------------------------

TEST(ExplorerFailure, EachResultHasItsMessage) {
    struct Case {
        std::intptr_t result;
        StringId text;
        StringId caption;
        bool with_result;
    };
    const Case cases[] = {
        {2, ids::ExplorerPathNotFound, ids::FileOrPathNotFound, false},
        {3, ids::ExplorerPathNotFound, ids::FileOrPathNotFound, false},
        {5, ids::ExplorerAccessDenied, ids::AccessDenied, false},
        {26, ids::ExplorerInUse, ids::ApplicationInUse, false},
        {27, ids::ExplorerAssociationInvalid, ids::AssociationProblem, false},
        {31, ids::ExplorerAssociationInvalid, ids::AssociationProblem, false},
        {0, ids::ExplorerShellExecuteError, ids::ShellExecuteError, true},
        {32, ids::ExplorerShellExecuteError, ids::ShellExecuteError, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        const auto failure = explorer_failure(c.result);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->text, c.text);
        EXPECT_EQ(failure->caption, c.caption);
        EXPECT_EQ(failure->with_result, c.with_result);
    }
    EXPECT_FALSE(explorer_failure(33));
    EXPECT_FALSE(explorer_failure(42));
}

} // namespace
} // namespace brixtel
