#include "tests/e2e/driver/fixture.h"

#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/window_query.h"

#include <iostream>

namespace brixtel::e2e {

namespace {

// The initialisation file is found in the Windows folder, like the program finds it.
std::wstring initialisation_file() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length) + L"\\Brixtel.ini";
}

// BRIXTEL_E2E_ARTIFACTS names a folder for screenshots of failed tests (the runner sets it).
void keep_screenshot_of_failure() {
    const wchar_t* folder = _wgetenv(L"BRIXTEL_E2E_ARTIFACTS");
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!folder || !*folder || !test)
        return;
    std::wstring name;
    for (const char* part : {test->test_suite_name(), ".", test->name(), ".bmp"})
        for (; *part; ++part)
            name += (*part == '/' ? L'_' : static_cast<wchar_t>(*part));
    const std::wstring path = std::wstring(folder) + L"\\" + name;
    if (save_screenshot(path))
        std::cerr << "screenshot at failure: " << narrow(path) << "\n";
}

} // namespace

void BrixtelTest::SetUp() {
    end_processes_named(kProgramName);
    // Every test is a first start: no user settings, no machine-wide settings left to move,
    // no initialisation file to seed from.
    ASSERT_TRUE(delete_key_tree(HKEY_CURRENT_USER, kMakerKey))
        << "cannot delete HKEY_CURRENT_USER\\Software\\Quorrel";
    ASSERT_TRUE(delete_key_tree(HKEY_LOCAL_MACHINE, kMakerKey))
        << "cannot delete HKEY_LOCAL_MACHINE\\Software\\Quorrel";
    const std::wstring ini = initialisation_file();
    ASSERT_TRUE(DeleteFileW(ini.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
        << "cannot delete " << narrow(ini);
}

void BrixtelTest::TearDown() {
    if (HasFailure()) {
        if (brixtel.running())
            std::cerr << "windows of the program at failure: " << brixtel.describe_windows()
                      << "\n";
        keep_screenshot_of_failure();
    }
    brixtel.kill();
    end_processes_named(kProgramName);
}

} // namespace brixtel::e2e
