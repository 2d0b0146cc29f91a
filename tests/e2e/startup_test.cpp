// Start-up as seen from outside: the single-copy rule and the shortcut road to a title.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/title_road.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

constexpr int kStatusConnection = 5;
constexpr wchar_t kNoConfiguration[] = L"No Halvo Monitoring Configuration available";

// Loopback ports the system has just found free, outside the program's own local port range:
// other suites may run beside this one, so fixed ports could be taken.
std::vector<int> free_loopback_ports(std::size_t count) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::vector<std::unique_ptr<LoopbackPeer>> probes;
        std::vector<int> ports;
        for (std::size_t i = 0; i < count; ++i) {
            probes.push_back(std::make_unique<LoopbackPeer>());
            const int port = probes.back()->ready() ? probes.back()->port() : 0;
            if (port != 0 && (port < 5100 || port > 5200))
                ports.push_back(port);
        }
        if (ports.size() == count)
            return ports;
    }
    return {};
}

// The shortcut's arguments name the title; its target is another title, which must not be
// opened.
TEST_F(StartUpTest, ShortcutOpensTheTitleNamedInItsArguments) {
    StagedTitleLibrary library;
    ASSERT_TRUE(library.install());
    const std::vector<int> ports = free_loopback_ports(2);
    ASSERT_EQ(ports.size(), 2u) << "no free loopback ports";
    const int title_port = ports[0], target_port = ports[1];
    const auto title = write_title(L"brixtel shortcut", L"plant title.m14",
                                   "version=1|zandor=1,127.0.0.1," + std::to_string(title_port));
    const auto target = write_title(L"brixtel shortcut", L"target title.m14",
                                    "zandor=1,127.0.0.1," + std::to_string(target_port));
    const auto shortcut = test_folder(L"brixtel shortcut") / L"Plant.LNK";
    ASSERT_TRUE(create_shortcut(shortcut, target, L"\"" + title.wstring() + L"\""));
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start(ports));

    ASSERT_TRUE(brixtel.launch(L"\"" + shortcut.wstring() + L"\""));
    ZandorRequest connstat;
    ASSERT_TRUE(zandor.wait_for_request("connstat 127.0.0.1 1 -1 0 0", &connstat));
    EXPECT_EQ(connstat.local_port, title_port);
    EXPECT_TRUE(brixtel.close());
    for (const auto& request : zandor.requests())
        EXPECT_NE(request.local_port, target_port) << request.text;
    EXPECT_TRUE(zandor.stop());
}

// A file named like a shortcut that is none keeps its own path as the Title path.
TEST_F(StartUpTest, LnkFileThatIsNoShortcutIsOpenedAsTheTitleItself) {
    StagedTitleLibrary library;
    ASSERT_TRUE(library.install());
    const std::vector<int> ports = free_loopback_ports(1);
    ASSERT_EQ(ports.size(), 1u) << "no free loopback port";
    const auto not_a_title = test_folder(L"brixtel not a shortcut") / L"plain text.lnk";
    std::ofstream(not_a_title, std::ios::binary) << "neither a shortcut nor a title\r\n";
    const auto title_named_lnk = write_title(L"brixtel not a shortcut", L"title.lnk",
                                             "zandor=1,127.0.0.1," + std::to_string(ports[0]));

    // Neither a shortcut nor a title: the title open fails quietly.
    ASSERT_TRUE(brixtel.launch(L"\"" + not_a_title.wstring() + L"\""));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusConnection, kNoConfiguration));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
    ASSERT_TRUE(brixtel.close());

    // A title under a shortcut's name is opened as the title it is.
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start(ports));
    ASSERT_TRUE(brixtel.launch(L"\"" + title_named_lnk.wstring() + L"\""));
    ZandorRequest connstat;
    EXPECT_TRUE(zandor.wait_for_request("connstat 127.0.0.1 1 -1 0 0", &connstat));
    EXPECT_EQ(connstat.local_port, ports[0]);
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

} // namespace
} // namespace brixtel::e2e
