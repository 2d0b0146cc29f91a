// Loop connections as a user sees them: the first requests a Zandor server gets, Simulation
// mode (also from a first start's initialisation file), a missing configuration, a local port range
// that clashes with a local Zandor, and a configuration read from a hyperdocument title through the
// title library.
#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/title_road.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace brixtel::e2e {
namespace {

const std::wstring kLoopEntriesKey = std::wstring(kSettingsKey) + L"\\LoopEntries";
constexpr int kStatusConnection = 5;
constexpr wchar_t kNoConfiguration[] = L"No Halvo Monitoring Configuration available";
constexpr wchar_t kDemoConfiguration[] = L"Demo Halvo Monitoring Configuration in Use";

int port_of_source(const std::string& source) {
    const std::size_t colon = source.rfind(':');
    return colon == std::string::npos ? 0 : std::stoi(source.substr(colon + 1));
}

using LoopTransportTest = BrixtelTest;

TEST_F(LoopTransportTest, StartSendsConnstatAndFeatureUsernameFromALocalPortInTheRange) {
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start({5301}));
    ASSERT_TRUE(store_loop_entries({L"1 5301 127.0.0.1"}));
    ASSERT_TRUE(brixtel.launch());

    ZandorRequest connstat, username;
    ASSERT_TRUE(zandor.wait_for_request("connstat 127.0.0.1 1 -1 0 0", &connstat));
    ASSERT_TRUE(zandor.wait_for_request("feature username 127.0.0.1 1 -1 0 0", &username));
    EXPECT_EQ(connstat.local_port, 5301);
    EXPECT_EQ(connstat.text.find(",5301 connstat"), 8u) << connstat.text;
    EXPECT_EQ(connstat.source, username.source);
    const int local = port_of_source(connstat.source);
    EXPECT_GE(local, 5100) << connstat.source;
    EXPECT_LE(local, 5200) << connstat.source;
    EXPECT_TRUE(brixtel.wait_for_status_text(
        kStatusConnection, L"Loop: 1 PCU: All IP: 127.0.0.1 remote port: 5301 connstat=OK"));
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

TEST_F(LoopTransportTest, RemotePortZeroRunsInSimulationMode) {
    ASSERT_TRUE(store_loop_entries({L"4 127.0.0.1"}));
    ASSERT_TRUE(brixtel.launch());
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusConnection, kDemoConfiguration));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

TEST_F(LoopTransportTest, NoConfigurationIsShownInTheStatusBar) {
    ASSERT_TRUE(brixtel.launch());
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusConnection, kNoConfiguration));
}

// A first start keeps the initialisation file's Simulation entry in memory, though the
// registry it seeds never stores one.
TEST_F(LoopTransportTest, FirstStartFromAFileWithOnlyASimulationLoopRunsTheDemo) {
    ASSERT_TRUE(seed_initialisation_file(
        "[Brixtel]\r\nNumberOfLoopEntries=1\r\nLoopEntry1=4 127.0.0.1\r\n"));
    ASSERT_TRUE(brixtel.launch());
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusConnection, kDemoConfiguration));
    EXPECT_TRUE(is_number(kLoopEntriesKey, L"NumberOfLoopEntries", 0));
    EXPECT_FALSE(raw_value(HKEY_CURRENT_USER, kLoopEntriesKey, L"LoopEntry1"));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

TEST_F(LoopTransportTest, PortRangeHoldingOnlyTheLocalZandorsPortGivesTheClashMessage) {
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"PortLowerLimit", 5100));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"PortUpperLimit", 5100));
    ASSERT_TRUE(store_loop_entries({L"1 5100 127.0.0.1"}));
    ASSERT_TRUE(brixtel.start());

    HWND box = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"sockets error", &box, kStartBound));
    const auto content = read_message_box(box);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->text,
              L"Unable to locate a local port for Velantrix to bind to.\nYour Velantrix port range "
              L"overlaps with your local Zandor port.\nYou cannot use the same port as the local "
              L"Zandor.\nYou will be unable to get live data until you correct this problem.");
    EXPECT_TRUE(press_message_box_button(box, L"OK"));
}

TEST_F(LoopTransportTest, TitleConfigurationIsUsedAndTheRegistryIsLeftAlone) {
    StagedTitleLibrary library;
    ASSERT_TRUE(library.install());
    const auto title =
        write_title(L"brixtel title", L"plant title.m14", "version=1|zandor=1,127.0.0.1,5302");
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start({5302, 5303}));
    ASSERT_TRUE(store_loop_entries({L"2 5303 127.0.0.1"}));

    ASSERT_TRUE(brixtel.launch(L"\"" + title.wstring() + L"\""));
    ZandorRequest connstat;
    ASSERT_TRUE(zandor.wait_for_request("connstat 127.0.0.1 1 -1 0 0", &connstat));
    EXPECT_EQ(connstat.local_port, 5302);
    ASSERT_TRUE(brixtel.close());
    for (const auto& request : zandor.requests())
        EXPECT_NE(request.local_port, 5303) << request.text; // the stored entry was not used
    EXPECT_TRUE(is_text(kLoopEntriesKey, L"LoopEntry1", L"2 5303 127.0.0.1"));
    EXPECT_TRUE(is_number(kLoopEntriesKey, L"NumberOfLoopEntries", 1));
    EXPECT_TRUE(zandor.stop());
}

TEST_F(LoopTransportTest, WildcardTitlePathOpensTheNewestMatch) {
    StagedTitleLibrary library;
    ASSERT_TRUE(library.install());
    const auto older = write_title(L"brixtel wildcard", L"older.m14", "zandor=1,127.0.0.1,5304");
    const auto newer = write_title(L"brixtel wildcard", L"newer.m14", "zandor=1,127.0.0.1,5305");
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(older, now - std::chrono::hours(2));
    std::filesystem::last_write_time(newer, now - std::chrono::hours(1));
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start({5304, 5305}));

    // Quoted: the folder name holds a blank, which would otherwise split the argument in two.
    ASSERT_TRUE(brixtel.launch(L"\"" + (older.parent_path() / L"*.m14").wstring() + L"\""));
    ZandorRequest connstat;
    ASSERT_TRUE(zandor.wait_for_request("connstat", &connstat));
    EXPECT_EQ(connstat.local_port, 5305);
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

TEST_F(LoopTransportTest, WithoutTheTitleLibraryTheRegistryConfigurationIsUsed) {
    const auto title = write_title(L"brixtel no library", L"unused.m14", "zandor=1,127.0.0.1,5306");
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start({5306, 5307}));
    ASSERT_TRUE(store_loop_entries({L"2 5307 127.0.0.1"}));
    ASSERT_TRUE(brixtel.launch(L"\"" + title.wstring() + L"\""));
    ZandorRequest connstat;
    ASSERT_TRUE(zandor.wait_for_request("connstat", &connstat));
    EXPECT_EQ(connstat.local_port, 5307);
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

} // namespace
} // namespace brixtel::e2e
