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

void keep_screenshot_of_failure() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!test)
        return;
    std::wstring name;
    for (const char* part : {test->test_suite_name(), ".", test->name()})
        for (; *part; ++part)
            name += (*part == '/' ? L'_' : static_cast<wchar_t>(*part));
    save_artifact_screenshot(name);
}

} // namespace

// The runner turns the bitmaps into PNG files.
bool save_artifact_screenshot(std::wstring_view name) {
    const wchar_t* folder = _wgetenv(L"BRIXTEL_E2E_ARTIFACTS");
    if (!folder || !*folder)
        return false;
    const std::wstring path = std::wstring(folder) + L"\\" + std::wstring(name) + L".bmp";
    if (!save_screenshot(path))
        return false;
    std::cerr << "screenshot: " << narrow(path) << "\n";
    return true;
}

void BrixtelTest::SetUp() {
    end_processes_named(kProgramName);
    // Every test is a first start: no user settings, no machine-wide settings left to move,
    // no initialisation file to seed from.
    ASSERT_TRUE(delete_key_tree(HKEY_CURRENT_USER, kMakerKey))
        << "cannot delete HKEY_CURRENT_USER\\Software\\Quorrel";
    // The program reads the machine-wide key in both programs' registries of a 64-bit system.
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        ASSERT_TRUE(delete_key_tree(HKEY_LOCAL_MACHINE, kMakerKey, view))
            << "cannot delete HKEY_LOCAL_MACHINE\\Software\\Quorrel ("
            << (view == KEY_WOW64_64KEY ? "64" : "32") << "-bit view)";
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
