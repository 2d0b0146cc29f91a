// The "Find Database Files" dialog (command 40009) as a user works it: the system's file-open
// dialog with the program's list of database files and its Add, Delete and Close buttons below,
// and the stored list of files in the registry.
#pragma once

#include "tags/tag_dialog_controls.h"
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr UINT kDatabaseFileNamesCommand = 40009;
inline constexpr wchar_t kDatabaseDialogTitle[] = L"Find Database Files";
inline constexpr wchar_t kDatabasesKey[] = L"Software\\Quorrel\\Halvo Brixtel\\Databases";

// The folder of dBASE files made for the run by scripts/make-e2e-databases.sh
// (BRIXTEL_E2E_DATABASES, a Windows path); empty when the runner made none.
std::wstring e2e_databases_folder();

// A fresh folder under the temporary folder for the files a test writes; removed with them.
class ScratchFolder {
  public:
    explicit ScratchFolder(std::wstring_view name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return path_; }
    // Writes the bytes as the file `name` and returns its full path.
    std::wstring write(std::wstring_view name, std::string_view bytes);

  private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

class DatabaseFileDialog {
  public:
    // Posts command 40009 and waits for the dialog with the program's controls in it.
    ::testing::AssertionResult open(BrixtelProcess& brixtel);

    HWND window() const { return dialog_; }
    // The template: the child dialog that holds the list and the three buttons.
    HWND controls() const { return controls_; }
    // The box the user types a file name into (an edit control, alone or in a combo box).
    HWND file_name_box() const;

    // Types the text into the file-name box, replacing what it held.
    ::testing::AssertionResult type_file_name(std::wstring_view text) const;
    // Presses Enter in the file-name box, as a user accepting the file.
    ::testing::AssertionResult press_enter() const;
    // Clicks Add, Delete or Close (refused while the button is disabled or hidden).
    ::testing::AssertionResult press(int button) const;
    ::testing::AssertionResult select(int index) const;

    std::optional<std::vector<std::wstring>> listed_files() const;
    std::optional<int> selected_index() const;
    // Waits until the list holds exactly these paths.
    ::testing::AssertionResult wait_for_files(const std::vector<std::wstring>& paths) const;

    // Children of the dialog as "class id 'text' visible", for failure messages.
    std::string describe() const;

  private:
    HWND dialog_ = nullptr;
    HWND controls_ = nullptr;
};

// A message box over the dialog with this caption: waits for it, reads it and presses a
// button; `text` gets its text.
::testing::AssertionResult answer_box(BrixtelProcess& brixtel, std::wstring_view caption,
                                      std::wstring_view button, std::wstring* text = nullptr);

// DatabaseFiles and Database1 ... DatabaseN as the program stored them; nothing when the
// count is missing.
std::optional<std::vector<std::wstring>> stored_database_files();
// Writes the stored list as the program would, before a start.
::testing::AssertionResult store_database_files(const std::vector<std::wstring>& paths);

} // namespace brixtel::e2e
