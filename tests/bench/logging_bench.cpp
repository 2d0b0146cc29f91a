// Drives the real Brixtel.exe for the logging benchmark (scripts/bench-logging.sh): seeds a
// loop entry to the simulator, a list of points and the update interval, starts the program,
// switches Monitoring on and, with --log-file, starts logging to that file through the Log
// Data dialog as a user would (new data only, no date in the name, appending); then says
// "READY" and waits for the script's stop file while the script measures. Then logging and
// Monitoring go off and the program is closed.
//
//   bench_logging.exe --view debug|export --port N --stop-file PATH [--log-file PATH]
//                     [--points N] [--interval MS] [--max-seconds N]
//
// Output lines: "READY", then "DONE"; "ERROR <reason>" and exit code 1 on a failure.
#include "tests/bench/bench_session.h"
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/wait.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace brixtel::bench {
namespace {

using e2e::BrixtelProcess;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;

constexpr UINT kLogDataCommand = 40013;
constexpr wchar_t kLogTypeTitle[] = L"Type of Logging";
constexpr int kPathField = 1154;
constexpr int kAppendDateBox = 1155;
constexpr int kStatusLogging = 1;

AssertionResult start_logging(BrixtelProcess& brixtel, const std::wstring& file) {
    if (!brixtel.post_command(kLogDataCommand))
        return AssertionFailure() << "cannot post the Log Data command";
    HWND dialog = nullptr;
    if (auto shown = brixtel.wait_for_window(kLogTypeTitle, &dialog); !shown)
        return shown;
    if (!e2e::set_item_text(dialog, kPathField, file) ||
        !e2e::set_checked(dialog, kAppendDateBox, false) || !e2e::click(dialog, IDOK))
        return AssertionFailure() << "the Type of Logging dialog cannot be filled in";
    if (auto gone = brixtel.wait_until_gone(dialog); !gone)
        return gone;
    return brixtel.wait_for_status_text(kStatusLogging, L"Logging: ON");
}

AssertionResult stop_logging(BrixtelProcess& brixtel) {
    if (!brixtel.post_command(kLogDataCommand))
        return AssertionFailure() << "cannot post the Log Data command";
    return brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF", e2e::Millis(60000));
}

int run(const BenchOptions& options) {
    if (auto seeded = seed(options); !seeded)
        return fail(seeded.message());
    BrixtelProcess brixtel;
    if (auto on = start_monitoring(brixtel, options); !on)
        return fail(on.message());
    const bool logging = !options.log_file.empty();
    if (logging) {
        if (auto started = start_logging(brixtel, options.log_file); !started)
            return fail(started.message());
    }
    say("READY");

    if (!wait_for_stop_file(options, brixtel))
        return fail(brixtel.running() ? "no stop file within --max-seconds"
                                      : "the program ended while monitoring");
    if (logging) {
        if (auto stopped = stop_logging(brixtel); !stopped)
            return fail(stopped.message());
    }
    if (auto off = stop_monitoring(brixtel, options); !off)
        return fail(off.message());
    return close_and_finish(brixtel);
}

} // namespace
} // namespace brixtel::bench

int wmain(int argc, wchar_t** argv) {
    const auto options = brixtel::bench::parse_bench_options(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: bench_logging.exe --view debug|export --port N --stop-file "
                             "PATH [--log-file PATH] [--points N] [--interval MS] "
                             "[--max-seconds N]\n");
        return 2;
    }
    return brixtel::bench::run(*options);
}
