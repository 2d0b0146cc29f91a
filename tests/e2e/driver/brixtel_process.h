// One running copy of the program under test, launched and worked like a user would.
#pragma once

#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/menu_reader.h"
#include "tests/e2e/driver/wait.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr wchar_t kProgramName[] = L"Brixtel.exe";
inline constexpr wchar_t kMainWindowClass[] = L"Brixtel";
inline constexpr wchar_t kStatusBarClass[] = L"msctls_statusbar32";

// The program under test: BRIXTEL_EXE, a Windows path (the runner sets it).
std::wstring program_path();

// A file in the suite's own folder (stand-ins, fixtures and the hook DLL sit there).
std::wstring suite_file(std::wstring_view name);

// Ends every process with this executable name (any case); returns how many were ended.
int end_processes_named(std::wstring_view executable);

class BrixtelProcess {
  public:
    BrixtelProcess() = default;
    ~BrixtelProcess();
    BrixtelProcess(const BrixtelProcess&) = delete;
    BrixtelProcess& operator=(const BrixtelProcess&) = delete;

    // Starts the program and waits until its main window is up and start-up has finished
    // (the message loop waits for input).
    ::testing::AssertionResult launch(std::wstring_view arguments = {});
    // Starts the program without waiting for anything (for start-ups that show no window).
    // An empty `executable` means program_path(); an empty `folder` means the program's folder.
    ::testing::AssertionResult start(std::wstring_view arguments = {}, std::wstring executable = {},
                                     std::wstring folder = {});
    ::testing::AssertionResult wait_for_main_window(Millis bound = kStartBound);

    bool running() const;
    DWORD process_id() const { return process_id_; }
    HANDLE process() const { return process_; }
    HWND main_window() const { return main_window_; }
    HWND status_bar() const;

    bool post(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
    // A menu command as the menu would send it.
    bool post_command(UINT id) const;

    // WM_CLOSE, then waits for the process to end.
    ::testing::AssertionResult close(DWORD* exit_code = nullptr, Millis bound = kExitBound);
    ::testing::AssertionResult wait_for_exit(DWORD* exit_code = nullptr, Millis bound = kExitBound);
    void kill();

    std::wstring title() const;
    std::optional<std::vector<int>> status_parts() const;
    std::optional<std::wstring> status_text(int part) const;
    ::testing::AssertionResult wait_for_status_text(int part, std::wstring_view expected,
                                                    Millis bound = kWaitBound) const;

    ::testing::AssertionResult read_menu(Menu* menu);

    // A visible top-level window of the process with this title (dialogs and message boxes
    // have the class "#32770"; pass an empty class to accept any).
    ::testing::AssertionResult wait_for_window(std::wstring_view title, HWND* found,
                                               Millis bound = kWaitBound,
                                               std::wstring_view class_name = kDialogClass) const;
    // Visible dialogs and message boxes of the process.
    std::vector<HWND> open_dialogs() const;
    ::testing::AssertionResult wait_until_gone(HWND window, Millis bound = kWaitBound) const;
    std::string describe_windows() const;

  private:
    void release();

    HANDLE process_ = nullptr;
    DWORD process_id_ = 0;
    HWND main_window_ = nullptr;
    MenuReader menu_reader_;
};

} // namespace brixtel::e2e
