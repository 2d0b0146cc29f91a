#include "logging/default_log_location.h"

#include "logging/fake_log_folder_system.h"
#include "platform/memory_registry.h"
#include "settings/registry_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::FakeLogFolderSystem;

constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kMaker[] = L"Software\\Quorrel";

RegistryValue text_value(std::wstring_view text) {
    return RegistryValue{RegistryTypeText, text_value_bytes(text)};
}

struct FolderCase {
    const char* name;
    const wchar_t* personal;    // null: no value
    const wchar_t* install_dir; // null: no value
    std::vector<std::wstring> existing;
    std::vector<std::wstring> refused;
    bool from_cd;
    const wchar_t* command_line;
    const wchar_t* fixed_root; // null: none
    const wchar_t* expected;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

class DefaultLogFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(DefaultLogFolder, TakesTheFirstUsableCandidate) {
    const FolderCase& c = GetParam();
    MemoryRegistry registry;
    if (c.personal)
        registry.put(RegistryRoot::CurrentUser, kShellFolders, L"Personal", text_value(c.personal));
    if (c.install_dir)
        registry.put(RegistryRoot::CurrentUser, kMaker, L"InstallDir", text_value(c.install_dir));
    FakeLogFolderSystem system;
    system.folders.insert(c.existing.begin(), c.existing.end());
    system.refused_folders.insert(c.refused.begin(), c.refused.end());
    system.from_cd = c.from_cd;
    system.line = c.command_line;
    if (c.fixed_root)
        system.fixed_root = c.fixed_root;
    EXPECT_EQ(default_log_folder(registry, system), c.expected);
}

const std::wstring kDocs = L"C:\\Users\\u\\Documents";
const std::wstring kInstall = L"C:\\Halvo";
const wchar_t* const kProgramLine = L"\"C:\\Halvo\\Programs\\Brixtel.exe\" ";

INSTANTIATE_TEST_SUITE_P(
    Steps, DefaultLogFolder,
    ::testing::Values(
        FolderCase{"DocumentsFolderMadeOnFirstUse",
                   L"C:\\Users\\u\\Documents",
                   nullptr,
                   {kDocs},
                   {},
                   false,
                   kProgramLine,
                   L"C:\\",
                   L"C:\\Users\\u\\Documents\\Halvo LOGS"},
        FolderCase{"DocumentsWithTrailingBackslash",
                   L"C:\\Users\\u\\Documents\\",
                   nullptr,
                   {kDocs + L"\\"},
                   {},
                   false,
                   kProgramLine,
                   nullptr,
                   L"C:\\Users\\u\\Documents\\Halvo LOGS"},
        FolderCase{"DocumentsLogFolderRefusedFallsToInstallation",
                   L"C:\\Users\\u\\Documents",
                   L"C:\\Halvo",
                   {kDocs, kInstall},
                   {kDocs + L"\\Halvo LOGS"},
                   false,
                   kProgramLine,
                   nullptr,
                   L"C:\\Halvo\\LOG"},
        FolderCase{"MissingDocumentsFolderFallsToInstallation",
                   L"D:\\Gone",
                   L"C:\\Halvo",
                   {kInstall},
                   {},
                   false,
                   kProgramLine,
                   nullptr,
                   L"C:\\Halvo\\LOG"},
        FolderCase{"InstallationLogTakenEvenWhenItCannotBeMade",
                   nullptr,
                   L"C:\\Halvo",
                   {kInstall},
                   {kInstall + L"\\LOG"},
                   false,
                   kProgramLine,
                   nullptr,
                   L"C:\\Halvo\\LOG"},
        FolderCase{"ProgramFolderFromQuotedCommandLine",
                   nullptr,
                   nullptr,
                   {L"C:\\Halvo\\Programs"},
                   {},
                   false,
                   kProgramLine,
                   nullptr,
                   L"C:\\Halvo\\Programs\\LOG"},
        FolderCase{"ProgramFolderSkippedOnCd",
                   nullptr,
                   nullptr,
                   {L"C:\\Halvo\\Programs", L"C:\\"},
                   {},
                   true,
                   kProgramLine,
                   L"C:\\",
                   L"C:\\LOG"},
        FolderCase{"ProgramLogRefusedFallsToFixedDrive",
                   nullptr,
                   nullptr,
                   {L"C:\\Halvo\\Programs", L"E:\\"},
                   {L"C:\\Halvo\\Programs\\LOG"},
                   false,
                   kProgramLine,
                   L"E:\\",
                   L"E:\\LOG"},
        FolderCase{"CommandLineWithArgumentNamesNoFolder",
                   nullptr,
                   nullptr,
                   {L"C:\\Halvo\\Programs", L"C:\\"},
                   {},
                   false,
                   L"\"C:\\Halvo\\Programs\\Brixtel.exe\" \"C:\\t\\a.m14\"",
                   L"C:\\",
                   L"C:\\LOG"},
        FolderCase{"NothingUsable", nullptr, nullptr, {}, {}, false, kProgramLine, nullptr, L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultLogLocation, FileNameFollowsListAndView) {
    EXPECT_EQ(default_log_file_name(L"", false), L"Brixtel.CSV");
    EXPECT_EQ(default_log_file_name(L"", true), L"Brixtel.LOG");
    EXPECT_EQ(default_log_file_name(L"Boilers", false), L"Brixtel_Boilers.CSV");
    EXPECT_EQ(default_log_file_name(L"Boilers", true), L"Brixtel_Boilers.LOG");
}

TEST(DefaultLogLocation, BareFileNameWithoutFolder) {
    MemoryRegistry registry;
    FakeLogFolderSystem system;
    EXPECT_EQ(default_log_location(registry, system, L"", true), L"Brixtel.LOG");
    system.fixed_root = L"C:\\";
    system.folders.insert(L"C:\\");
    EXPECT_EQ(default_log_location(registry, system, L"Plant", false),
              L"C:\\LOG\\Brixtel_Plant.CSV");
}

TEST(DefaultLogLocation, SplitKeepsFolderAndDropsExtension) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* base;
    };
    for (const Case& c :
         {Case{L"C:\\Logs\\Brixtel_A.LOG", L"C:\\Logs", L"Brixtel_A"},
          Case{L"C:\\Brixtel.CSV", L"C:\\", L"Brixtel"},
          Case{L"C:\\Logs\\run.v2.txt", L"C:\\Logs", L"run.v2"},
          Case{L"Brixtel.LOG", L"", L"Brixtel"}, Case{L"C:\\Logs\\plain", L"C:\\Logs", L"plain"}}) {
        const LogFileParts parts = split_log_file(c.path);
        EXPECT_EQ(parts.folder, c.folder) << std::wstring(c.path).size();
        EXPECT_EQ(parts.base_name, c.base);
    }
}

} // namespace
} // namespace brixtel
