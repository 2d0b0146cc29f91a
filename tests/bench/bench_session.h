#pragma once
// What the benchmark drivers share: their command line, the settings they start Brixtel with,
// switching Monitoring on and off, and waiting for the script's stop file. A driver prints
// "READY" when the load runs, then "DONE", or "ERROR <reason>" and ends with exit code 1.
#include "tests/e2e/driver/brixtel_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace brixtel::bench {

struct BenchOptions {
    bool export_view = true;
    int port = 0;
    int points = 50;
    DWORD interval_ms = 10;
    int max_seconds = 3600;
    std::wstring stop_file;
    // Where logging goes (a Windows path, typed into the Log Data dialog); empty: no logging.
    std::wstring log_file;
};

// --view debug|export --port N --stop-file PATH [--points N] [--interval MS]
// [--max-seconds N] [--log-file PATH]; nothing when the line is wrong.
std::optional<BenchOptions> parse_bench_options(int argc, wchar_t** argv);

void say(const std::string& line);
// Says "ERROR <reason>" and gives the exit code.
int fail(const std::string& reason);

// Writes the settings every run starts from and nothing else: a loop entry to the simulator,
// a start-up tag list of blocks 1,2,5,1 … points, the update interval, the view, and no size
// limit on the log (a run writes more than the default 5 MB).
::testing::AssertionResult seed(const BenchOptions& options);

// Starts the program, waits for its connection to the simulator and switches Monitoring on.
::testing::AssertionResult start_monitoring(e2e::BrixtelProcess& brixtel,
                                            const BenchOptions& options);
::testing::AssertionResult stop_monitoring(e2e::BrixtelProcess& brixtel,
                                           const BenchOptions& options);

// Closes the program (ending it when it does not close) and says "DONE"; gives the exit code.
int close_and_finish(e2e::BrixtelProcess& brixtel);

// Waits until the stop file exists, at most --max-seconds; false when it never came or the
// program ended.
bool wait_for_stop_file(const BenchOptions& options, const e2e::BrixtelProcess& brixtel);

} // namespace brixtel::bench
