// Ending the program while its worker threads are busy: ten loops whose servers never answer
// and one loop flooded with datagrams. The end is quiet (no message box) and prompt.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

constexpr UINT kMonitoring = 40012;
constexpr int kStatusTransmission = 4;

// Loopback ports nobody listens on: a request there comes back as "port unreachable".
std::vector<int> unanswered_ports(std::size_t count) {
    std::vector<int> ports;
    while (ports.size() < count) {
        LoopbackPeer probe;
        if (probe.ready() && (probe.port() < 5100 || probe.port() > 5200))
            ports.push_back(probe.port());
    }
    return ports;
}

// From WM_CLOSE to the end of the process; whether a message box came up meanwhile.
struct Closing {
    bool ended = false;
    bool box_seen = false;
    std::chrono::milliseconds took{0};
};

Closing close_and_time(BrixtelProcess& program) {
    Closing closing;
    const auto asked = std::chrono::steady_clock::now();
    if (!program.post(WM_CLOSE))
        return closing;
    closing.ended = poll_until(
        [&] {
            closing.box_seen = closing.box_seen || !program.open_dialogs().empty();
            return !program.running();
        },
        kExitBound, 10ms);
    closing.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - asked);
    return closing;
}

using ShutdownTest = BrixtelTest;

TEST_F(ShutdownTest, ClosingWhileLoopsHangAndOneIsFloodedIsQuietAndPrompt) {
    ZandorSim zandor;
    int port = 0;
    ASSERT_TRUE(zandor.start_on_free_port(&port));
    std::vector<std::wstring> entries{L"1 " + std::to_wstring(port) + L" 127.0.0.1"};
    int loop = 2;
    for (int silent : unanswered_ports(10))
        entries.push_back(std::to_wstring(loop++) + L" " + std::to_wstring(silent) + L" 127.0.0.1");
    ASSERT_TRUE(store_loop_entries(entries));
    ASSERT_TRUE(
        store_startup_tag_list(L"Plant", {L"Module 1,2,5 Block 100 -- NO_TAG -- NO_DATABASE"}));
    ASSERT_TRUE(store_update_interval(100));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(zandor.wait_for_request(" connstat 127.0.0.1 1 -1 0 0"));
    ASSERT_TRUE(brixtel.post_command(kMonitoring));
    ASSERT_TRUE(zandor.wait_for_request(" read output 1 02 05 100"));
    ASSERT_TRUE(zandor.control("flood 5000"));
    // The flood arrives: the receiving loop tells its datagrams' size.
    ASSERT_TRUE(poll_until(
        [&] {
            const auto text = brixtel.status_text(kStatusTransmission);
            return text && text->rfind(L"Rx: ", 0) == 0;
        },
        kWaitBound));

    const Closing closing = close_and_time(brixtel);
    ASSERT_TRUE(closing.ended) << "still running after " << describe(kExitBound) << "; "
                               << brixtel.describe_windows();
    EXPECT_FALSE(closing.box_seen) << "a message box came up while the program ended";
    DWORD exit_code = STILL_ACTIVE;
    ASSERT_TRUE(brixtel.wait_for_exit(&exit_code));
    EXPECT_EQ(exit_code, 0u);

    // Beside it, for the record, a window program that does nothing closing the same way: what
    // the system itself takes to end a program with a window.
    BrixtelProcess minimal;
    ASSERT_TRUE(minimal.start({}, suite_file(L"draw_fixture.exe")));
    ASSERT_TRUE(minimal.wait_for_main_window());
    const Closing floor = close_and_time(minimal);
    EXPECT_TRUE(floor.ended);
    // Reported, not asserted: the figures belong to the performance record.
    std::cout << "exit with 10 silent loops and one flooded at 5000/s took " << closing.took.count()
              << " ms; a window program that does nothing took " << floor.took.count() << " ms\n";
    EXPECT_TRUE(zandor.stop());
}

} // namespace
} // namespace brixtel::e2e
