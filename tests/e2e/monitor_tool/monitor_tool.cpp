// Keeps the real Brixtel.exe monitoring for the long runs (scripts/soak.sh,
// scripts/hostile-network.sh, scripts/misbehaving-server.sh): seeds a loop entry to the
// simulator, a start-up tag list of Module 1,2,5 Block 1 ... --points, the update interval and
// the Export View, starts the program, switches Monitoring on and, with --log-file, starts
// logging to that file through the Log Data dialog as a user would (--append-date 1 gives
// date-named files). Then it says "READY pid=<process id> window=<main window, hex>" and, every
// --sample-seconds, "SAMPLE handles=<n> gdi=<n> user=<n>" (the program's kernel handles from the
// system's handle list, and its GDI and USER object counts as the system reports them) until the
// stop file appears or --max-seconds pass; then logging and Monitoring go off and the program is
// closed ("DONE").
//
// With --victim it is instead a bystander: a window of its own that counts the messages it
// receives, so a run can show that nothing was posted to another process. It says
// "VICTIM window=<hex>" and, once the stop file appears, "VICTIM_MESSAGES user=<WM_USER
// messages> all=<messages outside start-up>".
//
//   monitor_tool.exe --port N --stop-file PATH [--points 50] [--interval 100]
//                    [--log-file PATH] [--append-date 0|1] [--sample-seconds 60]
//                    [--max-seconds 7200]
//   monitor_tool.exe --victim --stop-file PATH [--max-seconds 7200]
//
// "ERROR <reason>" and exit code 1 on a failure; 2 for a bad command line.
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/tag_lists.h"
#include "tests/e2e/driver/wait.h"

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;
using Clock = std::chrono::steady_clock;

constexpr UINT kMonitoringCommand = 40012;
constexpr UINT kLogDataCommand = 40013;
constexpr int kStatusMonitoring = 0;
constexpr int kStatusLogging = 1;
constexpr int kStatusConnection = 5;
constexpr wchar_t kLogTypeTitle[] = L"Type of Logging";
constexpr wchar_t kChangesTitle[] = L"Tag List Changes Detected";
constexpr int kPathField = 1154;
constexpr int kAppendDateBox = 1155;
constexpr Millis kStartBound = 120s;

struct Options {
    bool victim = false;
    int port = 0;
    int points = 50;
    DWORD interval_ms = 100;
    std::wstring log_file;
    bool append_date = true;
    int sample_seconds = 60;
    int max_seconds = 7200;
    std::wstring stop_file;
};

std::optional<Options> parse(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring name = argv[i];
        if (name == L"--victim") {
            options.victim = true;
            continue;
        }
        if (i + 1 == argc)
            return std::nullopt;
        const std::wstring value = argv[++i];
        const int number = _wtoi(value.c_str());
        if (name == L"--port")
            options.port = number;
        else if (name == L"--points")
            options.points = number;
        else if (name == L"--interval")
            options.interval_ms = static_cast<DWORD>(number);
        else if (name == L"--log-file")
            options.log_file = value;
        else if (name == L"--append-date")
            options.append_date = number != 0;
        else if (name == L"--sample-seconds")
            options.sample_seconds = number;
        else if (name == L"--max-seconds")
            options.max_seconds = number;
        else if (name == L"--stop-file")
            options.stop_file = value;
        else
            return std::nullopt;
    }
    if (options.stop_file.empty() || options.max_seconds <= 0)
        return std::nullopt;
    if (!options.victim &&
        (options.port <= 0 || options.port > 65535 || options.points <= 0 || options.points > 50 ||
         options.interval_ms == 0 || options.sample_seconds <= 0))
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

std::string hex(const void* handle) {
    char text[32];
    std::snprintf(text, sizeof text, "%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}

bool stop_file_exists(const Options& options) {
    return GetFileAttributesW(options.stop_file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring monitoring_text(bool on, DWORD interval) {
    wchar_t text[64] = {};
    swprintf(text, 64, L"Monitoring: %ls (%02lu:%02lu:%02lu.%03lu)", on ? L"ON" : L"OFF",
             interval / 3600000, interval / 60000 % 60, interval / 1000 % 60, interval % 1000);
    return text;
}

AssertionResult seed(const Options& options) {
    end_processes_named(kProgramName);
    if (!delete_key_tree(HKEY_CURRENT_USER, kMakerKey) ||
        !delete_key_tree(HKEY_LOCAL_MACHINE, kMakerKey))
        return AssertionFailure() << "cannot delete the program's settings";
    if (auto stored = store_loop_entries({L"1.2 " + std::to_wstring(options.port) + L" 127.0.0.1"});
        !stored)
        return stored;
    std::vector<std::wstring> entries;
    for (int block = 1; block <= options.points; ++block)
        entries.push_back(L"Module 1,2,5 Block " + std::to_wstring(block) +
                          L" -- NO_TAG -- NO_DATABASE");
    if (auto stored = store_startup_tag_list(L"LongRun", entries); !stored)
        return stored;
    if (auto stored = store_update_interval(options.interval_ms); !stored)
        return stored;
    if (!write_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView", {0}))
        return AssertionFailure() << "cannot write the DebugView flag";
    // A long run writes far more than the default limit of 5 MB.
    if (!write_dword(HKEY_CURRENT_USER, kSettingsKey, L"LogSize", 0))
        return AssertionFailure() << "cannot write LogSize";
    return AssertionSuccess();
}

AssertionResult start(BrixtelProcess& brixtel, const Options& options) {
    if (auto launched = brixtel.launch(); !launched)
        return launched;
    if (auto linked =
            brixtel.wait_for_status_text(kStatusConnection,
                                         L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                             std::to_wstring(options.port) + L" connstat=OK",
                                         kStartBound);
        !linked)
        return linked;
    if (!brixtel.post_command(kMonitoringCommand))
        return AssertionFailure() << "cannot post the Monitoring command";
    if (auto on = brixtel.wait_for_status_text(kStatusMonitoring,
                                               monitoring_text(true, options.interval_ms));
        !on)
        return on;
    if (options.log_file.empty())
        return AssertionSuccess();
    if (!brixtel.post_command(kLogDataCommand))
        return AssertionFailure() << "cannot post the Log Data command";
    HWND dialog = nullptr;
    if (auto shown = brixtel.wait_for_window(kLogTypeTitle, &dialog); !shown)
        return shown;
    if (!set_item_text(dialog, kPathField, options.log_file) ||
        !set_checked(dialog, kAppendDateBox, options.append_date) || !click(dialog, IDOK))
        return AssertionFailure() << "the Type of Logging dialog cannot be filled in";
    if (auto gone = brixtel.wait_until_gone(dialog); !gone)
        return gone;
    return brixtel.wait_for_status_text(kStatusLogging, L"Logging: ON");
}

// The system's handle list, entries as NtQuerySystemInformation(SystemHandleInformation)
// gives them. GetProcessHandleCount answers 0 under this Wine, even for the caller itself;
// the system list is kept by the wineserver and holds every process's handles.
struct SystemHandleEntry {
    ULONG owner_process;
    BYTE object_type;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ULONG access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
constexpr std::size_t kHandleListBound = std::size_t{1} << 28;

// The number of kernel handles the process holds, or nothing when the system does not say.
std::optional<std::size_t> handle_count(DWORD process_id) {
    using Query = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return std::nullopt;
    std::vector<unsigned char> buffer(std::size_t{1} << 16);
    LONG status = kInfoLengthMismatch;
    while (buffer.size() <= kHandleListBound) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                       &needed);
        if (status != kInfoLengthMismatch)
            break;
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0)
        return std::nullopt;
    const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
    const std::size_t room =
        (buffer.size() - offsetof(SystemHandleList, entries)) / sizeof(SystemHandleEntry);
    std::size_t owned = 0;
    for (std::size_t i = 0; i < list->count && i < room; ++i)
        owned += list->entries[i].owner_process == process_id ? 1 : 0;
    return owned;
}

// GDI and USER counts stay 0 under this Wine (GetGuiResources answers 0 for every process);
// they are reported for a run on Windows.
void sample(const BrixtelProcess& brixtel) {
    const auto handles = handle_count(brixtel.process_id());
    const DWORD gdi = GetGuiResources(brixtel.process(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(brixtel.process(), GR_USEROBJECTS);
    say("SAMPLE handles=" + (handles ? std::to_string(*handles) : std::string("unknown")) +
        " gdi=" + std::to_string(gdi) + " user=" + std::to_string(user));
}

int monitor(const Options& options) {
    if (auto seeded = seed(options); !seeded)
        return fail(seeded.message());
    BrixtelProcess brixtel;
    if (auto started = start(brixtel, options); !started)
        return fail(started.message());
    say("READY pid=" + std::to_string(brixtel.process_id()) +
        " window=" + hex(brixtel.main_window()));
    sample(brixtel);

    const auto deadline = Clock::now() + std::chrono::seconds(options.max_seconds);
    auto next_sample = Clock::now() + std::chrono::seconds(options.sample_seconds);
    while (!stop_file_exists(options) && Clock::now() < deadline) {
        if (!brixtel.running())
            return fail("the program ended while monitoring");
        if (Clock::now() >= next_sample) {
            sample(brixtel);
            next_sample += std::chrono::seconds(options.sample_seconds);
        }
        pause_for(Millis(250));
    }
    sample(brixtel);
    if (!options.log_file.empty()) {
        if (!brixtel.post_command(kLogDataCommand))
            return fail("cannot post the Log Data command");
        if (auto off = brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF", 60s); !off)
            return fail(off.message());
    }
    if (!brixtel.post_command(kMonitoringCommand))
        return fail("cannot post the Monitoring command");
    if (auto off = brixtel.wait_for_status_text(kStatusMonitoring,
                                                monitoring_text(false, options.interval_ms), 60s);
        !off)
        return fail(off.message());
    // The logging settings typed in differ from the saved list's, so closing asks whether to
    // save them: a run leaves the saved list as it was.
    if (!brixtel.post(WM_CLOSE))
        return fail("cannot post WM_CLOSE");
    HWND question = nullptr;
    if (brixtel.wait_for_window(kChangesTitle, &question, 15s))
        if (auto answered = answer_message(brixtel, kChangesTitle, L"No"); !answered)
            return fail(answered.message());
    if (auto ended = brixtel.wait_for_exit(); !ended) {
        brixtel.kill();
        return fail(ended.message());
    }
    say("DONE");
    return 0;
}

// ---- The bystander ----------------------------------------------------------------------

long g_user_messages = 0;
long g_all_messages = 0;
bool g_counting = false;

LRESULT CALLBACK victim_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (g_counting) {
        ++g_all_messages;
        if (message == WM_USER) {
            ++g_user_messages;
            // A forged answer would carry a pointer into another process: never touch it.
        }
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int victim(const Options& options) {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = victim_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"BrixtelLongRunBystander";
    if (!RegisterClassW(&window_class))
        return fail("cannot register the bystander's window class");
    // A message-only window would not be found by a window handle test; a hidden top-level
    // window is.
    HWND window = CreateWindowW(window_class.lpszClassName, L"Bystander", WS_OVERLAPPED, 0, 0, 100,
                                100, nullptr, nullptr, window_class.hInstance, nullptr);
    if (!window)
        return fail("cannot create the bystander's window");
    // Start-up messages are not what a run asks about.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    g_counting = true;
    say("VICTIM window=" + hex(window));

    const auto deadline = Clock::now() + std::chrono::seconds(options.max_seconds);
    while (!stop_file_exists(options) && Clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 250, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // Posted messages without a window still count if they name ours.
            DispatchMessageW(&message);
        }
    }
    g_counting = false;
    say("VICTIM_MESSAGES user=" + std::to_string(g_user_messages) +
        " all=" + std::to_string(g_all_messages));
    DestroyWindow(window);
    return 0;
}

} // namespace
} // namespace brixtel::e2e

int wmain(int argc, wchar_t** argv) {
    const auto options = brixtel::e2e::parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: monitor_tool.exe --port N --stop-file PATH [--points N] "
                     "[--interval MS] [--log-file PATH] [--append-date 0|1] "
                     "[--sample-seconds N] [--max-seconds N]\n"
                     "       monitor_tool.exe --victim --stop-file PATH [--max-seconds N]\n");
        return 2;
    }
    return options->victim ? brixtel::e2e::victim(*options) : brixtel::e2e::monitor(*options);
}
