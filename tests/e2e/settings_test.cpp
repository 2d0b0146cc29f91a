// Settings as the program leaves them in the registry: the layout a first start creates, the
// seed from the initialisation file, and the move of machine-wide settings.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/wait.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace brixtel::e2e {
namespace {

const std::wstring kDatabasesKey = std::wstring(kSettingsKey) + L"\\Databases";
const std::wstring kLoopEntriesKey = std::wstring(kSettingsKey) + L"\\LoopEntries";
const std::wstring kList1Key = std::wstring(kSettingsKey) + L"\\Tags\\List1";

std::wstring windows_folder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length);
}

class SettingsTest : public BrixtelTest {
  protected:
    // The first list's last flag is the last value a first start writes.
    ::testing::AssertionResult wait_for_first_start_layout() {
        if (poll_until(
                [] { return raw_value(HKEY_CURRENT_USER, kList1Key, L"SyncLog").has_value(); },
                kStartBound))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no settings layout within " << describe(kStartBound);
    }
    ::testing::AssertionResult wait_for_user_value(const std::wstring& path,
                                                   const std::wstring& name) {
        if (poll_until([&] { return raw_value(HKEY_CURRENT_USER, path, name).has_value(); },
                       kStartBound))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no user value " << std::string(name.begin(), name.end());
    }
};

TEST_F(SettingsTest, FirstStartWithoutFileCreatesTheDefaultLayout) {
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_first_start_layout());
    EXPECT_TRUE(is_number(kSettingsKey, L"PortLowerLimit", 5100));
    EXPECT_TRUE(is_number(kSettingsKey, L"PortUpperLimit", 5200));
    EXPECT_TRUE(is_number(kSettingsKey, L"Frequency", 1000));
    EXPECT_TRUE(is_number(kSettingsKey, L"SigDig", 0));
    EXPECT_TRUE(is_flag(kSettingsKey, L"DebugView", 0));
    EXPECT_TRUE(is_flag(kSettingsKey, L"ShowBlkCheck", 1));
    EXPECT_TRUE(is_flag(kSettingsKey, L"ShowLogAlert", 1));
    EXPECT_TRUE(is_number(kDatabasesKey, L"DatabaseFiles", 0));
    EXPECT_TRUE(is_number(kLoopEntriesKey, L"NumberOfLoopEntries", 0));
    EXPECT_TRUE(is_text(kList1Key, L"name", L"List1"));
    EXPECT_TRUE(is_number(kList1Key, L"NumberofTags", 0));
    EXPECT_TRUE(is_flag(kList1Key, L"LogDate", 1));
    EXPECT_TRUE(is_flag(kList1Key, L"LogReqTime", 1));
    EXPECT_TRUE(is_flag(kList1Key, L"LogIndvDate", 0));
    EXPECT_TRUE(is_flag(kList1Key, L"StartTime", 0));
    EXPECT_TRUE(is_flag(kList1Key, L"SyncLog", 1));
}

TEST_F(SettingsTest, FirstStartIsSeededFromTheInitialisationFile) {
    {
        std::ofstream ini(std::filesystem::path(windows_folder() + L"\\Brixtel.ini"),
                          std::ios::binary);
        ini << "[Brixtel]\r\nPortLowerLimit=4100\r\nPortUpperLimit=4150\r\nFrequency=250\r\n"
               "SigDig=3\r\nLogDate=UNCHECKED\r\nLogFirstTime=checked\r\nLogReqDate=yes\r\n"
               "StartHour=6\r\nStartTime=CHECKED\r\nSyncLog=no\r\n";
    }
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_first_start_layout());
    EXPECT_TRUE(is_number(kSettingsKey, L"PortLowerLimit", 4100));
    EXPECT_TRUE(is_number(kSettingsKey, L"PortUpperLimit", 4150));
    EXPECT_TRUE(is_number(kSettingsKey, L"Frequency", 250));
    EXPECT_TRUE(is_number(kSettingsKey, L"SigDig", 3));
    EXPECT_TRUE(is_flag(kList1Key, L"LogDate", 0));
    EXPECT_TRUE(is_flag(kList1Key, L"LogFirstTime", 1));
    EXPECT_TRUE(is_flag(kList1Key, L"LogReqDate", 1));
    EXPECT_TRUE(is_flag(kList1Key, L"LogLastDate", 0));
    EXPECT_TRUE(is_number(kList1Key, L"StartHour", 6));
    EXPECT_TRUE(is_flag(kList1Key, L"StartTime", 1));
    EXPECT_TRUE(is_flag(kList1Key, L"SyncLog", 0));
}

// The file's loop entries, database files and points become the registry's, and the first
// list is loaded with them.
TEST_F(SettingsTest, FirstStartTakesLoopsDatabasesAndPointsFromTheFile) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring database = std::wstring(temp) + L"Plant Tags.csv";
    {
        std::ofstream csv(std::filesystem::path(database), std::ios::binary);
        csv << "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\nFIC-101,1,2,3,100\r\n";
    }
    const std::string database_narrow(database.begin(), database.end());
    {
        std::ofstream ini(std::filesystem::path(windows_folder() + L"\\Brixtel.ini"),
                          std::ios::binary);
        ini << "[Brixtel]\r\nNumberOfLoopEntries=2\r\nLoopEntry1=1.2 5099 127.0.0.1\r\n"
               "LoopEntry2=3 5001 localhost\r\nDatabaseFiles=1\r\nDatabase1="
            << database_narrow
            << "\r\nNumberofTags=2\r\nTagLookUp1=Module 1,2,3 Block 100 -- FIC-101 -- "
            << database_narrow
            << "\r\nTagLookUp2=Module 4,1,0 Block 7 -- NO_TAG -- NO_DATABASE\r\n";
    }
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_user_value(kList1Key, L"TagLookUp2"));
    EXPECT_TRUE(is_number(kLoopEntriesKey, L"NumberOfLoopEntries", 2));
    EXPECT_TRUE(is_text(kLoopEntriesKey, L"LoopEntry1", L"1.2 5099 127.0.0.1"));
    EXPECT_TRUE(is_text(kLoopEntriesKey, L"LoopEntry2", L"3 5001 localhost"));
    EXPECT_TRUE(is_number(kDatabasesKey, L"DatabaseFiles", 1));
    EXPECT_TRUE(is_text(kDatabasesKey, L"Database1", database));
    EXPECT_TRUE(is_number(kList1Key, L"NumberofTags", 2));
    EXPECT_TRUE(
        is_text(kList1Key, L"TagLookUp1", L"Module 1,2,3 Block 100 -- FIC-101 -- " + database));
    EXPECT_TRUE(
        is_text(kList1Key, L"TagLookUp2", L"Module 4,1,0 Block 7 -- NO_TAG -- NO_DATABASE"));
    EXPECT_TRUE(poll_until([&] { return brixtel.title() == L"Brixtel - List1"; }, kWaitBound));
    DeleteFileW(database.c_str());
}

TEST_F(SettingsTest, MachineWideSettingsAreMovedToTheUserAtStart) {
    const std::wstring machine_list = std::wstring(kSettingsKey) + L"\\Tags\\List1";
    ASSERT_TRUE(write_dword(HKEY_LOCAL_MACHINE, kSettingsKey, L"Frequency", 250));
    ASSERT_TRUE(write_binary(HKEY_LOCAL_MACHINE, kSettingsKey, L"ShowBlkCheck", {0}));
    ASSERT_TRUE(write_string(HKEY_LOCAL_MACHINE, machine_list, L"name", L"Moved list"));
    ASSERT_TRUE(write_string(HKEY_LOCAL_MACHINE, kMakerKey, L"InstallDir", L"C:\\Quorrel Apps"));

    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_user_value(kSettingsKey, L"Frequency"));
    EXPECT_TRUE(is_number(kSettingsKey, L"Frequency", 250));
    EXPECT_TRUE(is_flag(kSettingsKey, L"ShowBlkCheck", 0));
    EXPECT_TRUE(is_text(kList1Key, L"name", L"Moved list"));
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kMakerKey, L"InstallDir"), L"C:\\Quorrel Apps");
    // The move made the user's key, so the start read it instead of seeding it.
    EXPECT_FALSE(raw_value(HKEY_CURRENT_USER, kSettingsKey, L"ShowLogAlert"));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, kSettingsKey)) << "the machine-wide key stays";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(GetFileAttributesW((std::wstring(temp) + L"BrixtelHKLM.reg").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsTest, UserSettingsAreKeptAndNothingIsMoved) {
    ASSERT_TRUE(write_dword(HKEY_LOCAL_MACHINE, kSettingsKey, L"Frequency", 250));
    ASSERT_TRUE(write_string(HKEY_LOCAL_MACHINE, kMakerKey, L"InstallDir", L"C:\\Machine"));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"Frequency", 750));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(brixtel.wait_for_main_window());
    // Let start-up run to its message loop before judging what it did not do.
    ASSERT_TRUE(brixtel.wait_for_status_text(0, L"Monitoring: OFF (00:00:00.750)"));
    EXPECT_TRUE(is_number(kSettingsKey, L"Frequency", 750));
    EXPECT_FALSE(read_string(HKEY_CURRENT_USER, kMakerKey, L"InstallDir"));
}

TEST_F(SettingsTest, OnlyTheInstallationFolderMovesWithoutMachineWideSettings) {
    ASSERT_TRUE(write_string(HKEY_LOCAL_MACHINE, kMakerKey, L"InstallDir", L"D:\\Q"));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_first_start_layout());
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kMakerKey, L"InstallDir"), L"D:\\Q");
    EXPECT_TRUE(is_number(kSettingsKey, L"Frequency", 1000)) << "seeded as a first start";
}

} // namespace
} // namespace brixtel::e2e
