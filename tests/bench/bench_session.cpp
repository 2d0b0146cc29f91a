#include "tests/bench/bench_session.h"

#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/wait.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace brixtel::bench {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr UINT kMonitoringCommand = 40012;
constexpr int kStatusMonitoring = 0;
constexpr int kStatusConnection = 5;

std::wstring list_entry(int block) {
    return L"Module 1,2,5 Block " + std::to_wstring(block) + L" -- NO_TAG -- NO_DATABASE";
}

std::wstring monitoring_text(bool on, DWORD interval) {
    wchar_t text[64] = {};
    swprintf(text, 64, L"Monitoring: %ls (%02lu:%02lu:%02lu.%03lu)", on ? L"ON" : L"OFF",
             interval / 3600000, interval / 60000 % 60, interval / 1000 % 60, interval % 1000);
    return text;
}

} // namespace

std::optional<BenchOptions> parse_bench_options(int argc, wchar_t** argv) {
    BenchOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const std::wstring value = argv[i + 1];
        if (name == L"--view" && (value == L"debug" || value == L"export"))
            options.export_view = value == L"export";
        else if (name == L"--port")
            options.port = _wtoi(value.c_str());
        else if (name == L"--points")
            options.points = _wtoi(value.c_str());
        else if (name == L"--interval")
            options.interval_ms = static_cast<DWORD>(_wtoi(value.c_str()));
        else if (name == L"--max-seconds")
            options.max_seconds = _wtoi(value.c_str());
        else if (name == L"--stop-file")
            options.stop_file = value;
        else if (name == L"--log-file")
            options.log_file = value;
        else
            return std::nullopt;
    }
    if (argc % 2 == 0 || options.port <= 0 || options.port > 65535 || options.points <= 0 ||
        options.points > 50 || options.interval_ms == 0 || options.max_seconds <= 0 ||
        options.stop_file.empty())
        return std::nullopt;
    return options;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int fail(const std::string& reason) {
    say("ERROR " + reason);
    return 1;
}

AssertionResult seed(const BenchOptions& options) {
    e2e::end_processes_named(e2e::kProgramName);
    if (!e2e::delete_key_tree(HKEY_CURRENT_USER, e2e::kMakerKey) ||
        !e2e::delete_key_tree(HKEY_LOCAL_MACHINE, e2e::kMakerKey))
        return AssertionFailure() << "cannot delete the program's settings";
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    const std::wstring ini = std::wstring(folder, length) + L"\\Brixtel.ini";
    DeleteFileW(ini.c_str());

    if (auto stored =
            e2e::store_loop_entries({L"1.2 " + std::to_wstring(options.port) + L" 127.0.0.1"});
        !stored)
        return stored;
    std::vector<std::wstring> entries;
    for (int block = 1; block <= options.points; ++block)
        entries.push_back(list_entry(block));
    if (auto stored = e2e::store_startup_tag_list(L"Bench", entries); !stored)
        return stored;
    if (auto stored = e2e::store_update_interval(options.interval_ms); !stored)
        return stored;
    if (!e2e::write_binary(HKEY_CURRENT_USER, e2e::kSettingsKey, L"DebugView",
                           {static_cast<uint8_t>(options.export_view ? 0 : 1)}))
        return AssertionFailure() << "cannot write the DebugView flag";
    if (!e2e::write_dword(HKEY_CURRENT_USER, e2e::kSettingsKey, L"LogSize", 0))
        return AssertionFailure() << "cannot write LogSize";
    return AssertionSuccess();
}

AssertionResult start_monitoring(e2e::BrixtelProcess& brixtel, const BenchOptions& options) {
    if (auto launched = brixtel.launch(); !launched)
        return launched;
    if (auto linked = brixtel.wait_for_status_text(
            kStatusConnection, L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                   std::to_wstring(options.port) + L" connstat=OK");
        !linked)
        return linked;
    if (!brixtel.post_command(kMonitoringCommand))
        return AssertionFailure() << "cannot post the Monitoring command";
    return brixtel.wait_for_status_text(kStatusMonitoring,
                                        monitoring_text(true, options.interval_ms));
}

AssertionResult stop_monitoring(e2e::BrixtelProcess& brixtel, const BenchOptions& options) {
    if (!brixtel.post_command(kMonitoringCommand))
        return AssertionFailure() << "cannot post the Monitoring command";
    return brixtel.wait_for_status_text(
        kStatusMonitoring, monitoring_text(false, options.interval_ms), e2e::Millis(60000));
}

int close_and_finish(e2e::BrixtelProcess& brixtel) {
    if (!brixtel.post(WM_CLOSE)) {
        brixtel.kill();
        return fail("cannot post WM_CLOSE");
    }
    // Logging started through the Log Data dialog is not the tag list's stored logging, so
    // closing asks whether to save it; the run leaves the stored settings as they were.
    HWND box = nullptr;
    if (brixtel.wait_for_window(L"Tag List Changes Detected", &box, e2e::Millis(5000)))
        e2e::press_message_box_button(box, L"No");
    if (auto ended = brixtel.wait_for_exit(); !ended) {
        brixtel.kill();
        return fail(ended.message());
    }
    say("DONE");
    return 0;
}

bool wait_for_stop_file(const BenchOptions& options, const e2e::BrixtelProcess& brixtel) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.max_seconds);
    while (std::chrono::steady_clock::now() < deadline && brixtel.running()) {
        if (GetFileAttributesW(options.stop_file.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        e2e::pause_for(e2e::Millis(250));
    }
    return GetFileAttributesW(options.stop_file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace brixtel::bench
