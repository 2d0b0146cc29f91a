// The Windows installer as an administrator and a user meet it: a silent installation into a
// folder with blanks, the program started from its Start-menu shortcut (its installation
// folder, the Type tool and the single copy all depend on where and how it was started), and
// the silent uninstall, which takes away what was installed and keeps every user's settings.
#include "tests/e2e/driver/database_files.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/installer.h"
#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace brixtel::e2e {
namespace {

const std::wstring kTopFolder = L"C:\\Some Folder With Blanks";
const std::wstring kFolder = kTopFolder + L"\\Brixtel";
const std::wstring kPrograms = kFolder + L"\\Programs";
constexpr wchar_t kNotATagDatabase[] = L"Incorrect Database Type";
constexpr wchar_t kToolMissing[] = L"Could not determine type";

std::wstring menu_folder() {
    return common_programs_folder() + L"\\Brixtel";
}

// The version the installer's file name carries ("...\Brixtel-Setup-1.2.3.exe").
std::wstring version_in_installer_name() {
    std::wstring name = installer_path();
    name.erase(0, name.find_last_of(L'\\') + 1);
    const std::wstring prefix = L"Brixtel-Setup-";
    const std::wstring suffix = L".exe";
    if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0)
        return L"(not a Brixtel-Setup-<version>.exe name: " + name + L")";
    return name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
}

int visible_main_windows() {
    int count = 0;
    for (HWND window = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr); window;
         window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr))
        count += IsWindowVisible(window) ? 1 : 0;
    return count;
}

class InstallerTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        if (HasFatalFailure())
            return;
        if (installer_path().empty())
            GTEST_SKIP() << "BRIXTEL_INSTALLER is not set: build the installer "
                            "(scripts/make-installer.sh) and run the suite through "
                            "scripts/run-e2e.sh";
        remove_installation();
    }
    void TearDown() override {
        // A running copy would keep its file from the uninstaller.
        brixtel.kill();
        end_processes_named(kProgramName);
        remove_installation();
        BrixtelTest::TearDown();
    }

    // Nothing of an installation is left, whatever state a test ended in.
    static void remove_installation() {
        if (file_exists(kFolder + L"\\" + kUninstaller))
            uninstall_silently(kFolder, nullptr);
        remove_folder_tree(kTopFolder);
        remove_folder_tree(menu_folder());
        delete_key_tree(HKEY_LOCAL_MACHINE, kUninstallKey);
        delete_key_tree(HKEY_LOCAL_MACHINE, kMakerKey);
    }

    // Adds a file that is no tag database in the Database File Names dialog and returns the
    // caption of the box that answers: the Type tool's refusal, or the box saying it is missing.
    std::wstring caption_for_a_file_that_is_no_tag_database() {
        ScratchFolder scratch(L"brixtel installer");
        const std::wstring notes = scratch.write(L"notes.csv", "DATE,TEXT\r\n1.1.2024,boiler\r\n");
        DatabaseFileDialog dialog;
        if (!dialog.open(brixtel) || !dialog.type_file_name(notes) ||
            !dialog.press(IDC_DATABASE_ADD))
            return L"(the dialog could not be worked)";
        HWND box = nullptr;
        poll_until(
            [&] {
                box = find_top_window(brixtel.process_id(), kNotATagDatabase);
                if (!box)
                    box = find_top_window(brixtel.process_id(), kToolMissing);
                return box != nullptr;
            },
            kWaitBound);
        if (!box)
            return L"(no box)";
        const std::wstring caption = window_text(box);
        answer_box(brixtel, caption, L"OK");
        dialog.press(IDC_DATABASE_CLOSE);
        brixtel.wait_until_gone(dialog.window());
        return caption;
    }
};

TEST_F(InstallerTest, InstallsStartsFromTheShortcutAndUninstallsKeepingTheUsersSettings) {
    DWORD exit_code = 1;
    ASSERT_TRUE(install_silently(kFolder, &exit_code));
    ASSERT_EQ(exit_code, 0u);
    ASSERT_TRUE(file_exists(kPrograms + L"\\Brixtel.exe")) << "the installer installed nothing";

    // The entry of installed programs, and the folder every user's first start copies.
    const std::wstring uninstaller = L"\"" + kFolder + L"\\" + kUninstaller + L"\"";
    const struct {
        const wchar_t* name;
        std::wstring value;
    } entry[] = {
        {L"DisplayName", L"Brixtel"},      {L"DisplayVersion", version_in_installer_name()},
        {L"Publisher", L"Quorrel"},        {L"InstallLocation", kFolder},
        {L"UninstallString", uninstaller}, {L"QuietUninstallString", uninstaller + L" /S"},
    };
    for (const auto& value : entry)
        EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, kUninstallKey, value.name), value.value)
            << narrow(value.name);
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, kMakerKey, L"InstallDir"), kFolder);
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kMakerKey, KEY_WOW64_32KEY))
        << "written to the 32-bit programs' registry";

    Shortcut program;
    ASSERT_TRUE(read_shortcut(menu_folder() + L"\\Brixtel.lnk", &program));
    EXPECT_TRUE(same_text(program.target, kPrograms + L"\\Brixtel.exe")) << narrow(program.target);
    EXPECT_TRUE(same_text(program.working_folder, kPrograms)) << narrow(program.working_folder);
    Shortcut simulator;
    ASSERT_TRUE(read_shortcut(menu_folder() + L"\\Zandor Simulator.lnk", &simulator));
    EXPECT_TRUE(same_text(simulator.target, kFolder + L"\\Simulator\\zandor-sim.exe"))
        << narrow(simulator.target);
    EXPECT_NE(simulator.arguments.find(L"--port 5001 --port 5002"), std::wstring::npos)
        << narrow(simulator.arguments);
    EXPECT_TRUE(file_exists(kFolder + L"\\Simulator\\plant.csv"));

    // The user's first start, as the shortcut starts it.
    ASSERT_TRUE(brixtel.start({}, program.target, program.working_folder));
    ASSERT_TRUE(brixtel.wait_for_main_window());
    EXPECT_TRUE(poll_until(
        [] { return read_string(HKEY_CURRENT_USER, kMakerKey, L"InstallDir") == kFolder; },
        kWaitBound))
        << "the user's InstallDir is "
        << narrow(read_string(HKEY_CURRENT_USER, kMakerKey, L"InstallDir").value_or(L"missing"));

    // The Type tool is found below the installation folder: it ran and refused the file.
    EXPECT_EQ(caption_for_a_file_that_is_no_tag_database(), kNotATagDatabase);

    BrixtelProcess second;
    ASSERT_TRUE(second.start({}, program.target, program.working_folder));
    DWORD second_exit = 1;
    ASSERT_TRUE(second.wait_for_exit(&second_exit));
    EXPECT_EQ(second_exit, 0u);
    EXPECT_EQ(visible_main_windows(), 1);
    EXPECT_TRUE(brixtel.running());

    ASSERT_TRUE(brixtel.close());
    // A log the program wrote below the installation folder.
    const std::wstring log = kFolder + L"\\LOG\\Brixtel.LOG";
    ASSERT_TRUE(CreateDirectoryW((kFolder + L"\\LOG").c_str(), nullptr));
    ASSERT_TRUE(write_file_bytes(log, "a logged line\r\n"));
    ASSERT_TRUE(uninstall_silently(kFolder, &exit_code));
    EXPECT_EQ(exit_code, 0u);
    for (const std::wstring& path :
         {kPrograms + L"\\Brixtel.exe", kPrograms + L"\\vexrun.exe",
          kFolder + L"\\Simulator\\zandor-sim.exe", kFolder + L"\\Simulator\\plant.csv",
          menu_folder() + L"\\Brixtel.lnk", menu_folder() + L"\\Zandor Simulator.lnk"})
        EXPECT_FALSE(file_exists(path)) << narrow(path) << " is still there";
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kMakerKey));
    // Each user's own settings and logs outlive the program.
    EXPECT_TRUE(file_exists(log));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kMakerKey, L"InstallDir"), kFolder);
}

} // namespace
} // namespace brixtel::e2e
