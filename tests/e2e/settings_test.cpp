// Settings as the program leaves them in the registry: the layout a first start creates, the
// seed from the initialisation file, and the move of machine-wide settings.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/wait.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

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

std::vector<std::wstring> subkeys(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

// For as long as it lives, the Windows folder's regedit.exe is the suite's stand-in
// regedit_capitals.exe, which runs the real editor (moved aside to regedit-real.exe) and writes
// the key lines of an export with "SOFTWARE" in capitals, as Windows' editor does. The real
// editor is put back however the test ends, so later tests use it again.
class CapitalsEditor {
  public:
    CapitalsEditor()
        : editor_(windows_folder() + L"\\regedit.exe"),
          real_(windows_folder() + L"\\regedit-real.exe"),
          export_copy_(windows_folder() + L"\\regedit-capitals-export.reg") {}
    ~CapitalsEditor() { restore(); }
    CapitalsEditor(const CapitalsEditor&) = delete;
    CapitalsEditor& operator=(const CapitalsEditor&) = delete;

    ::testing::AssertionResult install() {
        DeleteFileW(export_copy_.c_str());
        if (!MoveFileExW(editor_.c_str(), real_.c_str(), 0))
            return ::testing::AssertionFailure()
                   << "cannot move regedit.exe aside, error " << GetLastError();
        moved_ = true;
        if (!CopyFileW(stand_in().c_str(), editor_.c_str(), FALSE))
            return ::testing::AssertionFailure()
                   << "cannot copy regedit_capitals.exe, error " << GetLastError();
        return ::testing::AssertionSuccess();
    }

    // The last export as the stand-in handed it to the program.
    std::wstring last_export() const {
        std::ifstream file(std::filesystem::path(export_copy_), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                      std::istreambuf_iterator<char>()};
        std::wstring text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) // after the byte-order mark
            text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                                static_cast<unsigned char>(bytes[i + 1]) << 8));
        return text;
    }

  private:
    static std::wstring stand_in() { return suite_file(L"regedit_capitals.exe"); }

    // The stand-in may still be running if the test ended early; retry until it has ended.
    void restore() {
        if (moved_ && !poll_until(
                          [&] {
                              return MoveFileExW(real_.c_str(), editor_.c_str(),
                                                 MOVEFILE_REPLACE_EXISTING) != 0;
                          },
                          kWaitBound))
            ADD_FAILURE() << "the real regedit.exe could not be put back, error " << GetLastError();
        DeleteFileW(export_copy_.c_str());
    }

    std::wstring editor_;
    std::wstring real_;
    std::wstring export_copy_;
    bool moved_ = false;
};

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

// Windows' editor exports the stored name "HKEY_LOCAL_MACHINE\SOFTWARE\...", not the name as
// typed; the move must still find the key in every key line, down to the subkeys, and leave no
// key under a misspelt name.
TEST_F(SettingsTest, MachineWideExportInCapitalsIsStillMoved) {
    const std::wstring machine_name = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorrel\\Halvo Brixtel";
    ASSERT_TRUE(write_dword(HKEY_LOCAL_MACHINE, kSettingsKey, L"Frequency", 400));
    ASSERT_TRUE(write_binary(HKEY_LOCAL_MACHINE, kSettingsKey, L"DebugView", {1}));
    // The export doubles the backslashes of text data, so a text naming the key is not a
    // match and must arrive as it was stored.
    ASSERT_TRUE(write_string(HKEY_LOCAL_MACHINE, kSettingsKey, L"Origin", machine_name));
    ASSERT_TRUE(write_string(HKEY_LOCAL_MACHINE, kList1Key, L"name", L"Capital list"));
    ASSERT_TRUE(write_binary(HKEY_LOCAL_MACHINE, kList1Key, L"SyncLog", {0}));
    CapitalsEditor editor;
    ASSERT_TRUE(editor.install());

    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_user_value(kList1Key, L"name"));
    const std::wstring handed_over = editor.last_export();
    EXPECT_NE(handed_over.find(L"[" + machine_name + L"\\Tags\\List1]"), std::wstring::npos)
        << "the stand-in did not write the key lines in capitals";
    EXPECT_EQ(handed_over.find(L"[HKEY_LOCAL_MACHINE\\Software\\"), std::wstring::npos);

    EXPECT_TRUE(is_number(kSettingsKey, L"Frequency", 400));
    EXPECT_TRUE(is_flag(kSettingsKey, L"DebugView", 1));
    EXPECT_TRUE(is_text(kSettingsKey, L"Origin", machine_name));
    EXPECT_TRUE(is_text(kList1Key, L"name", L"Capital list"));
    EXPECT_TRUE(is_flag(kList1Key, L"SyncLog", 0));
    EXPECT_FALSE(raw_value(HKEY_CURRENT_USER, kSettingsKey, L"ShowLogAlert")) << "not seeded";
    EXPECT_EQ(subkeys(HKEY_CURRENT_USER, kMakerKey), std::vector<std::wstring>{L"Halvo Brixtel"});
    EXPECT_EQ(subkeys(HKEY_CURRENT_USER, std::wstring(kSettingsKey) + L"\\Tags"),
              std::vector<std::wstring>{L"List1"});
    EXPECT_EQ(read_dword(HKEY_LOCAL_MACHINE, kSettingsKey, L"Frequency"), 400u)
        << "the machine-wide key stays";
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

// A 32-bit installer writes the folder where a 64-bit program does not look by itself.
TEST_F(SettingsTest, TheInstallationFolderIsFoundInThe32BitProgramsRegistryToo) {
    ASSERT_TRUE(write_string(HKEY_LOCAL_MACHINE, kMakerKey, L"InstallDir",
                             L"C:\\Program Files (x86)\\Q", KEY_WOW64_32KEY));
    ASSERT_FALSE(read_string(HKEY_LOCAL_MACHINE, kMakerKey, L"InstallDir"))
        << "this system keeps one registry for 32-bit and 64-bit programs";
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(wait_for_first_start_layout());
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kMakerKey, L"InstallDir"),
              L"C:\\Program Files (x86)\\Q");
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
