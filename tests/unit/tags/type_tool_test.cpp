#include "tags/type_tool.h"

#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brixtel {
namespace {

struct CommandCase {
    const wchar_t* base;
    const wchar_t* database;
    const wchar_t* command_line;
    const wchar_t* folder;
};

class TypeToolCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(TypeToolCommand, QuotesOnlyPathsWithBlanks) {
    const CommandCase& c = GetParam();
    EXPECT_EQ(type_tool_command_line(type_tool_path(c.base), c.database), c.command_line);
    EXPECT_EQ(type_tool_folder(c.base), c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TypeToolCommand,
    ::testing::Values(
        CommandCase{L"C:\\Halvo", L"C:\\data\\tags.dbf",
                    L"C:\\Halvo\\Programs\\vexrun.exe C:\\data\\tags.dbf", L"C:\\Halvo\\Programs"},
        CommandCase{L"C:\\Program Files\\Halvo", L"D:\\plant tags\\unit 1.csv",
                    L"\"C:\\Program Files\\Halvo\\Programs\\vexrun.exe\" \"D:\\plant "
                    L"tags\\unit 1.csv\"",
                    L"C:\\Program Files\\Halvo\\Programs"},
        CommandCase{L"C:\\", L"a.csv", L"C:\\Programs\\vexrun.exe a.csv", L"C:\\Programs"}));

struct CheckCase {
    const char* name;
    bool tool_present;
    std::optional<std::uint32_t> exit_code; // nothing: the process could not be run
    bool accepted;
    std::vector<StringId> shown;
};

std::ostream& operator<<(std::ostream& out, const CheckCase& c) {
    return out << c.name;
}

class TypeToolCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(TypeToolCheck, AcceptsWhatTheToolAccepts) {
    const CheckCase& c = GetParam();
    testing::FakeSeat seat;
    std::vector<std::wstring> runs;
    std::vector<std::wstring> failed_calls;
    const TypeToolSystem system{
        [&](std::wstring_view path) {
            EXPECT_EQ(path, L"C:\\Halvo\\Programs\\vexrun.exe");
            return c.tool_present;
        },
        [&](std::wstring_view command_line, std::wstring_view folder,
            const SystemCallFailed& on_failure) {
            runs.emplace_back(command_line);
            EXPECT_EQ(folder, L"C:\\Halvo\\Programs");
            if (!c.exit_code) {
                on_failure(L"CreateProcess", 2);
                return ProcessOutcome{};
            }
            return ProcessOutcome{true, *c.exit_code};
        },
        [&](std::wstring_view call, std::uint32_t) { failed_calls.emplace_back(call); }};

    EXPECT_EQ(check_database_type(L"C:\\Halvo", L"C:\\data\\x.csv", seat, system), c.accepted);
    EXPECT_EQ(seat.shown_texts(), c.shown);
    EXPECT_EQ(runs.size(), c.tool_present ? 1u : 0u);
    EXPECT_EQ(failed_calls.size(), c.tool_present && !c.exit_code ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, TypeToolCheck,
    ::testing::Values(CheckCase{"ToolMissing", false, 0, true, {ids::TypeToolNotFound}},
                      CheckCase{"ExitZero", true, 0, true, {}},
                      CheckCase{"ExitOne", true, 1, false, {ids::NotATagDatabase}},
                      CheckCase{"ExitHigh", true, 0xC0000005u, false, {ids::NotATagDatabase}},
                      CheckCase{"CouldNotRun", true, std::nullopt, true, {}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(TypeToolCheckMessages, NameTheFiles) {
    testing::FakeSeat seat;
    const TypeToolSystem missing{[](std::wstring_view) { return false; }, nullptr, nullptr};
    check_database_type(L"C:\\Halvo", L"C:\\x.csv", seat, missing);
    const TypeToolSystem refusing{
        [](std::wstring_view) { return true; },
        [](std::wstring_view, std::wstring_view, const SystemCallFailed&) {
            return ProcessOutcome{true, 3};
        },
        nullptr};
    check_database_type(L"C:\\Halvo", L"C:\\x.csv", seat, refusing);
    ASSERT_EQ(seat.boxes.size(), 2u);
    EXPECT_NE(seat.boxes[0].formatted.find(L"<C:\\Halvo\\Programs\\vexrun.exe>"),
              std::wstring::npos);
    EXPECT_EQ(seat.boxes[0].caption, ids::CouldNotDetermineType);
    EXPECT_NE(seat.boxes[1].formatted.find(L"<C:\\x.csv>"), std::wstring::npos);
    EXPECT_EQ(seat.boxes[1].caption, ids::IncorrectDatabaseType);
    EXPECT_EQ(seat.boxes[1].flags, mb::IconInformation);
}

} // namespace
} // namespace brixtel
