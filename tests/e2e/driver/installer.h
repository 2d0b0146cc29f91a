// The Windows installer under test and what it leaves on the system: the installer and its
// uninstaller run silently, the Start-menu shortcuts read as the shell reads them.
#pragma once

#include "tests/e2e/driver/wait.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

namespace brixtel::e2e {

inline constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brixtel";
inline constexpr wchar_t kUninstaller[] = L"Uninstall.exe";
// An installation under Wine takes a few seconds; a loaded machine may stretch that a lot.
inline constexpr Millis kInstallBound = 120s;

// BRIXTEL_INSTALLER, a Windows path (the runner sets it once the installer has been built);
// empty without it.
std::wstring installer_path();

// Runs `executable` with `arguments` and waits for it to end.
::testing::AssertionResult run_to_end(const std::wstring& executable, const std::wstring& arguments,
                                      DWORD* exit_code, Millis bound = kInstallBound);

// The installer, silent (/S), into `folder` (/D=, which takes the rest of the line unquoted).
::testing::AssertionResult install_silently(const std::wstring& folder, DWORD* exit_code);
// The uninstaller of the installation in `folder`, silent and run in place (_?=): otherwise it
// copies itself away, starts the copy and ends at once. In place it cannot delete itself.
::testing::AssertionResult uninstall_silently(const std::wstring& folder, DWORD* exit_code);

struct Shortcut {
    std::wstring target;
    std::wstring arguments;
    std::wstring working_folder;
};
// The shortcut file as the shell link object reads it.
::testing::AssertionResult read_shortcut(const std::wstring& path, Shortcut* shortcut);

// The Start menu's Programs folder of all users (where a machine-wide installer puts its
// shortcuts).
std::wstring common_programs_folder();

bool file_exists(const std::wstring& path);

} // namespace brixtel::e2e
