#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings.h"
#include "settings/settings_move.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

std::vector<std::uint8_t> bytes_of(std::string_view text) {
    return {text.begin(), text.end()};
}

// Folders and files in memory, and a registry editor that exports and imports 8-bit files
// from the program's registry the way the test tells it to.
class FakeMoveSystem : public MoveSystem {
  public:
    std::optional<std::wstring> temp = L"C:\\TEMP\\";
    std::optional<std::wstring> windows = L"C:\\WINDOWS";
    std::set<std::wstring> folders{L"C:\\TEMP\\", L"C:\\WINDOWS"};
    std::map<std::wstring, std::vector<std::uint8_t>> files{{L"C:\\WINDOWS\\regedit.exe", {}}};
    std::set<std::wstring> unreadable, unwritable;
    std::vector<std::wstring> commands;
    std::vector<std::wstring> working_folders;
    std::string exported = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorrel\\Halvo "
                           "Brixtel]\r\n\"Frequency\"=dword:000001f4\r\n";
    bool export_writes_file = true;
    std::uint32_t export_exit = 0;
    std::uint32_t import_exit = 0;
    std::vector<std::uint8_t> imported; // what the editor found to import

    std::optional<std::wstring> temp_folder() override { return temp; }
    std::optional<std::wstring> windows_folder() override { return windows; }
    bool folder_exists(const std::wstring& path) override { return folders.count(path) > 0; }
    bool create_folder(const std::wstring& path) override { return folders.insert(path).second; }
    bool file_exists(const std::wstring& path) override { return files.count(path) > 0; }
    bool delete_file(const std::wstring& path) override { return files.erase(path) > 0; }
    bool rename_file(const std::wstring& from, const std::wstring& to) override {
        if (!files.count(from) || files.count(to))
            return false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    std::optional<std::vector<std::uint8_t>> read_file(const std::wstring& path) override {
        if (!files.count(path) || unreadable.count(path))
            return std::nullopt;
        return files[path];
    }
    bool write_file(const std::wstring& path, std::span<const std::uint8_t> bytes) override {
        if (unwritable.count(path))
            return false;
        files[path].assign(bytes.begin(), bytes.end());
        return true;
    }
    bool is_utf16_text(std::span<const std::uint8_t> first) override {
        return first.size() >= 2 && first[0] == 0xFF && first[1] == 0xFE;
    }
    ProcessOutcome run(const std::wstring& command, const std::wstring& folder) override {
        commands.push_back(command);
        working_folders.push_back(folder);
        const auto path_start = command.find(L' ', command.find(L"regedit.exe")) + 4;
        const std::wstring file =
            command.substr(path_start, command.find(L' ', path_start) - path_start);
        if (command.find(L" /e ") != std::wstring::npos) {
            if (export_writes_file)
                files[file] = bytes_of(exported);
            return {true, export_exit};
        }
        if (files.count(file))
            imported = files[file];
        return {true, import_exit};
    }
};

class SettingsMoveTest : public ::testing::Test {
  protected:
    void seed_machine_settings() {
        registry.put(kMachine, keys::Settings, values::Frequency,
                     {RegistryTypeNumber, {0xF4, 1, 0, 0}});
    }
    void seed_machine_install_dir(std::wstring_view folder) {
        registry.put(kMachine, keys::Maker, values::InstallDir,
                     {RegistryTypeText, text_value_bytes(folder)});
    }
    std::optional<std::wstring> user_install_dir() {
        const auto value = registry.value(kUser, keys::Maker, values::InstallDir);
        return value ? std::optional(text_of_value_bytes(value->data)) : std::nullopt;
    }
    void move() { move_machine_settings(registry, seat, system); }

    MemoryRegistry registry;
    testing::FakeSeat seat;
    FakeMoveSystem system;
};

TEST_F(SettingsMoveTest, ExportsRewritesAndImportsTheMachineWideKey) {
    seed_machine_settings();
    seed_machine_install_dir(L"C:\\Quorrel");
    move();
    EXPECT_TRUE(seat.boxes.empty());
    ASSERT_EQ(system.commands.size(), 2u);
    EXPECT_EQ(system.commands[0], L"C:\\WINDOWS\\regedit.exe /e C:\\TEMP\\BrixtelHKLM.reg "
                                  L"\"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel\"");
    EXPECT_EQ(system.commands[1], L"C:\\WINDOWS\\regedit.exe /S C:\\TEMP\\BrixtelHKLM.reg");
    EXPECT_EQ(system.working_folders, (std::vector<std::wstring>{L"C:\\WINDOWS", L"C:\\WINDOWS"}));
    EXPECT_EQ(system.imported,
              bytes_of("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo "
                       "Brixtel]\r\n\"Frequency\"=dword:000001f4\r\n"));
    EXPECT_EQ(user_install_dir(), L"C:\\Quorrel");
    // Nothing is left behind in the temporary folder.
    EXPECT_EQ(system.files.size(), 1u);
}

TEST_F(SettingsMoveTest, AUserWithSettingsKeepsThemAndTheEditorStaysIdle) {
    seed_machine_settings();
    seed_machine_install_dir(L"C:\\Machine");
    registry.create(kUser, keys::Settings, RegistryAccess::ReadWrite);
    move();
    EXPECT_TRUE(system.commands.empty());
    EXPECT_FALSE(user_install_dir());
    EXPECT_TRUE(seat.boxes.empty());
}

TEST_F(SettingsMoveTest, WithoutMachineWideSettingsOnlyTheInstallationFolderMoves) {
    seed_machine_install_dir(L"D:\\Apps\\Quorrel");
    move();
    EXPECT_TRUE(system.commands.empty());
    EXPECT_EQ(user_install_dir(), L"D:\\Apps\\Quorrel");
    EXPECT_FALSE(registry.key_exists(kUser, keys::Settings));
}

// The 32-bit programs' view of HKEY_LOCAL_MACHINE\Software, as the in-memory registry keeps it.
constexpr wchar_t kMaker32[] = L"Software\\WOW6432Node\\Quorrel";

TEST_F(SettingsMoveTest, TheInstallationFolderIsFoundInEitherViewThe64BitOneFirst) {
    struct ViewCase {
        const char* name;
        std::optional<std::wstring> bits64; // the value in the 64-bit view
        bool key64;                         // the 64-bit key exists without the value
        std::optional<std::wstring> bits32;
        std::optional<std::wstring> moved;
    };
    const ViewCase cases[] = {
        {"64-bit view only", L"C:\\Program Files\\Brixtel", false, std::nullopt,
         L"C:\\Program Files\\Brixtel"},
        {"32-bit view only", std::nullopt, false, L"C:\\Program Files (x86)\\Brixtel",
         L"C:\\Program Files (x86)\\Brixtel"},
        {"both views", L"C:\\New", false, L"C:\\Old", L"C:\\New"},
        {"64-bit key without the value", std::nullopt, true, L"C:\\Old", L"C:\\Old"},
        {"neither", std::nullopt, true, std::nullopt, std::nullopt},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        MemoryRegistry machine;
        if (test.bits64)
            machine.put(kMachine, keys::Maker, values::InstallDir,
                        {RegistryTypeText, text_value_bytes(*test.bits64)});
        else if (test.key64)
            machine.put(kMachine, keys::Maker, L"Other", {RegistryTypeNumber, {1, 0, 0, 0}});
        if (test.bits32)
            machine.put(kMachine, kMaker32, values::InstallDir,
                        {RegistryTypeText, text_value_bytes(*test.bits32)});
        testing::FakeSeat boxes;
        move_machine_settings(machine, boxes, system);
        const auto value = machine.value(kUser, keys::Maker, values::InstallDir);
        EXPECT_EQ(value ? std::optional(text_of_value_bytes(value->data)) : std::nullopt,
                  test.moved);
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

TEST_F(SettingsMoveTest, WithoutATemporaryFolderTheWindowsTempFolderIsMadeAndCleared) {
    seed_machine_settings();
    system.temp.reset();
    system.files[L"C:\\WINDOWS\\temp\\BrixtelHKLM.reg"] = bytes_of("old");
    system.export_writes_file = true;
    move();
    EXPECT_TRUE(system.folders.count(L"C:\\WINDOWS\\temp"));
    ASSERT_FALSE(system.commands.empty());
    EXPECT_NE(system.commands[0].find(L"/e C:\\WINDOWS\\temp\\BrixtelHKLM.reg "),
              std::wstring::npos);
    EXPECT_NE(system.imported, bytes_of("old"));
}

struct MoveFailureCase {
    const char* name;
    std::function<void(FakeMoveSystem&)> arrange;
    StringId text;
    StringId caption;
    const wchar_t* formatted;
    std::size_t commands_run;
};

TEST_F(SettingsMoveTest, EveryFailureIsToldWithAnExclamationAndTheExportIsRemoved) {
    const MoveFailureCase cases[] = {
        {"no temporary location",
         [](FakeMoveSystem& s) {
             s.temp.reset();
             s.windows.reset();
         },
         ids::TemporaryFolderUnknown, ids::ExportFailed, nullptr, 0},
        {"temporary folder gone and no Windows folder",
         [](FakeMoveSystem& s) {
             s.folders.erase(L"C:\\TEMP\\");
             s.folders.erase(L"C:\\WINDOWS");
         },
         ids::TemporaryFolderUnknown, ids::ExportFailed, nullptr, 0},
        {"no editor", [](FakeMoveSystem& s) { s.files.erase(L"C:\\WINDOWS\\regedit.exe"); },
         ids::RegeditNotFound, ids::ExportFailed,
         L"The file <C:\\WINDOWS\\regedit.exe> does not exist for registry export.  Aborting "
         L"export...",
         0},
        {"export fails", [](FakeMoveSystem& s) { s.export_exit = 1; }, ids::RegeditExportFailed,
         ids::ExportFailed, nullptr, 1},
        {"export writes nothing", [](FakeMoveSystem& s) { s.export_writes_file = false; },
         ids::RegeditProducedNoFile, ids::ExportFailed, nullptr, 1},
        {"export unreadable",
         [](FakeMoveSystem& s) { s.unreadable.insert(L"C:\\TEMP\\BrixtelHKLM.reg"); },
         ids::RegFileOpenFailed, ids::ImportFailed, nullptr, 1},
        {"rewrite not writable",
         [](FakeMoveSystem& s) { s.unwritable.insert(L"C:\\TEMP\\BrixtelHKLM.TMP"); },
         ids::TmpFileOpenFailed, ids::ImportFailed, nullptr, 1},
        {"import fails", [](FakeMoveSystem& s) { s.import_exit = 5; }, ids::SettingsImportFailed,
         ids::ImportFailed,
         L"Failed to import the Brixtel settings to HKEY_CURRENT_USER from the "
         L"C:\\TEMP\\BrixtelHKLM.reg file",
         2},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        MemoryRegistry machine;
        machine.put(kMachine, keys::Settings, values::SigDig, {RegistryTypeNumber, {1, 0, 0, 0}});
        machine.put(kMachine, keys::Maker, values::InstallDir,
                    {RegistryTypeText, text_value_bytes(L"C:\\Q")});
        FakeMoveSystem files;
        test.arrange(files);
        testing::FakeSeat boxes;
        move_machine_settings(machine, boxes, files);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, test.text);
        EXPECT_EQ(boxes.boxes[0].caption, test.caption);
        EXPECT_EQ(boxes.boxes[0].flags, mb::Ok | mb::IconExclamation);
        if (test.formatted) {
            EXPECT_EQ(boxes.boxes[0].formatted, test.formatted);
        }
        EXPECT_EQ(files.commands.size(), test.commands_run);
        EXPECT_FALSE(files.files.count(L"C:\\TEMP\\BrixtelHKLM.reg"));
        // The installation folder was copied before anything could fail.
        EXPECT_TRUE(machine.value(kUser, keys::Maker, values::InstallDir));
    }
}

TEST_F(SettingsMoveTest, PathsWithBlanksAreQuotedOnTheCommandLine) {
    seed_machine_settings();
    system.temp = L"C:\\Documents and Settings\\me\\Temp";
    system.folders.insert(*system.temp);
    move();
    ASSERT_FALSE(system.commands.empty());
    EXPECT_NE(system.commands[0].find(
                  L"/e \"C:\\Documents and Settings\\me\\Temp\\BrixtelHKLM.reg\" \"HKEY_LOCAL"),
              std::wstring::npos);
}

} // namespace
} // namespace brixtel
