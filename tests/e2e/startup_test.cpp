// Start-up as seen from outside: the single-copy rule.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

namespace brixtel::e2e {
namespace {

using StartUpTest = BrixtelTest;

bool has_main_window(DWORD process_id) {
    for (HWND window : top_windows_of(process_id))
        if (window_class(window) == kMainWindowClass)
            return true;
    return false;
}

TEST_F(StartUpTest, SecondCopyEndsAtOnceWithoutWindow) {
    ASSERT_TRUE(brixtel.launch());
    BrixtelProcess second;
    ASSERT_TRUE(second.start());
    bool window_seen = false;
    poll_until(
        [&] {
            window_seen = window_seen || has_main_window(second.process_id());
            return window_seen || !second.running();
        },
        kStartBound);
    EXPECT_FALSE(window_seen) << "the second copy opened a main window";
    DWORD exit_code = STILL_ACTIVE;
    ASSERT_TRUE(second.wait_for_exit(&exit_code));
    EXPECT_EQ(exit_code, 0u);
    EXPECT_TRUE(brixtel.running()) << "the first copy must go on";
}

TEST_F(StartUpTest, CopyUnderAnotherFileNameIsNotCounted) {
    ASSERT_TRUE(brixtel.launch());
    // A sibling folder of the build's Programs folder would touch the build tree; the
    // prefix's temporary folder belongs to this run.
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring renamed = std::wstring(temp) + L"BrixtelRenamedCopy.exe";
    ASSERT_TRUE(CopyFileW(program_path().c_str(), renamed.c_str(), FALSE))
        << "cannot copy the program, error " << GetLastError();
    {
        BrixtelProcess other;
        ASSERT_TRUE(other.start({}, renamed));
        EXPECT_TRUE(other.wait_for_main_window());
        EXPECT_NE(other.main_window(), brixtel.main_window());
    }
    DeleteFileW(renamed.c_str());
}

} // namespace
} // namespace brixtel::e2e
