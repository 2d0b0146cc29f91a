// Loop connections as a user sees them: the first requests a Zandor server gets, Simulation
// mode, a missing configuration, a local port range that clashes with a local Zandor, and a
// configuration read from a hyperdocument title through the title library.
#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace brixtel::e2e {
namespace {

const std::wstring kLoopEntriesKey = std::wstring(kSettingsKey) + L"\\LoopEntries";
constexpr int kStatusConnection = 5;
constexpr wchar_t kNoConfiguration[] = L"No Halvo Monitoring Configuration available";
constexpr wchar_t kDemoConfiguration[] = L"Demo Halvo Monitoring Configuration in Use";

void store_loop_entries(const std::vector<std::wstring>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(write_string(HKEY_CURRENT_USER, kLoopEntriesKey,
                                 L"LoopEntry" + std::to_wstring(i + 1), texts[i]));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kLoopEntriesKey, L"NumberOfLoopEntries",
                            static_cast<DWORD>(texts.size())));
}

int port_of_source(const std::string& source) {
    const std::size_t colon = source.rfind(':');
    return colon == std::string::npos ? 0 : std::stoi(source.substr(colon + 1));
}

std::filesystem::path suite_folder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

std::filesystem::path system_folder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::filesystem::path(std::wstring(folder, length));
}

using LoopTransportTest = BrixtelTest;

TEST_F(LoopTransportTest, StartSendsConnstatAndFeatureUsernameFromALocalPortInTheRange) {
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start({5301}));
    store_loop_entries({L"1 5301 127.0.0.1"});
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
    store_loop_entries({L"4 127.0.0.1"});
    ASSERT_TRUE(brixtel.launch());
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusConnection, kDemoConfiguration));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

TEST_F(LoopTransportTest, NoConfigurationIsShownInTheStatusBar) {
    ASSERT_TRUE(brixtel.launch());
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusConnection, kNoConfiguration));
}

TEST_F(LoopTransportTest, PortRangeHoldingOnlyTheLocalZandorsPortGivesTheClashMessage) {
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"PortLowerLimit", 5100));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"PortUpperLimit", 5100));
    store_loop_entries({L"1 5100 127.0.0.1"});
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

// The stand-in title library is found by name in the system folder for as long as it lives.
class StagedTitleLibrary {
  public:
    StagedTitleLibrary() : target_(system_folder() / L"MVCL14N.dll") {}
    ~StagedTitleLibrary() {
        std::error_code ignored;
        std::filesystem::remove(target_, ignored);
    }
    bool install() const {
        std::error_code failed;
        std::filesystem::copy_file(suite_folder() / L"MVCL14N.dll", target_,
                                   std::filesystem::copy_options::overwrite_existing, failed);
        return !failed;
    }

  private:
    std::filesystem::path target_;
};

// A title in a folder of the test's own (the wildcard test sees every title in it).
std::filesystem::path write_title(const std::wstring& folder_name, const std::wstring& name,
                                  const std::string& information) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / folder_name;
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / name;
    std::ofstream(path, std::ios::binary) << "MVTITLE\r\ninfo10=" << information << "\r\n";
    return path;
}

TEST_F(LoopTransportTest, TitleConfigurationIsUsedAndTheRegistryIsLeftAlone) {
    StagedTitleLibrary library;
    ASSERT_TRUE(library.install());
    const auto title =
        write_title(L"brixtel title", L"plant title.m14", "version=1|zandor=1,127.0.0.1,5302");
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start({5302, 5303}));
    store_loop_entries({L"2 5303 127.0.0.1"});

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
    store_loop_entries({L"2 5307 127.0.0.1"});
    ASSERT_TRUE(brixtel.launch(L"\"" + title.wstring() + L"\""));
    ZandorRequest connstat;
    ASSERT_TRUE(zandor.wait_for_request("connstat", &connstat));
    EXPECT_EQ(connstat.local_port, 5307);
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

} // namespace
} // namespace brixtel::e2e
