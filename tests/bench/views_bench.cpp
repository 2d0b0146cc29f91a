// Drives the real Brixtel.exe for the views benchmark (scripts/bench-views.sh): seeds a loop
// entry to the simulator, a list of points and the update interval, starts the program,
// switches Monitoring on and says "READY"; the script measures while it waits for the stop
// file. Then Monitoring goes off and, in the Export View, the View buffer is read page by page
// as a user would scroll it, to count the rows in which every point had its value.
//
//   bench_views.exe --view debug|export --port N --stop-file PATH
//                   [--points N] [--interval MS] [--max-seconds N]
//
// Output lines: "READY", then "ROWS read=... complete=... share=... untimed=... pages=..."
// (Export View), then "DONE"; "ERROR <reason>" and exit code 1 on a failure.
#include "tests/bench/bench_session.h"
#include "tests/bench/export_rows.h"
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/draw_recorder.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace brixtel::bench {
namespace {

using e2e::BrixtelProcess;
using e2e::Drawing;
using e2e::DrawRecorder;
using e2e::Millis;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// The Export View's columns in characters: point i starts at 36 + 21 i, the last is 19 wide.
constexpr int kFirstPointColumnChars = 36;
constexpr int kPointColumnChars = 21;
constexpr int kLastColumnChars = 19;
// Room for one page of the tallest window: 52 cells by some 70 rows, with the header.
constexpr uint32_t kRecorderCapacity = 16384;
constexpr int kMaxPages = 5000;
constexpr auto kReadingBound = std::chrono::minutes(20);

int fixed_font_char_width() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old_font);
    ReleaseDC(nullptr, dc);
    return metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 8;
}

// Only the columns inside the window are drawn: make it wide enough for every point and as
// tall as the screen, so that fewer pages hold the buffer.
AssertionResult widen_for_all_columns(HWND window, int points) {
    const int char_width = fixed_font_char_width();
    const int wanted_client =
        (kFirstPointColumnChars + kPointColumnChars * (points - 1) + kLastColumnChars + 1) *
        char_width;
    RECT outer{}, client{};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client))
        return AssertionFailure() << "cannot read the main window's size";
    const int frame = (outer.right - outer.left) - (client.right - client.left);
    if (!SetWindowPos(window, nullptr, 0, 0, wanted_client + frame, GetSystemMetrics(SM_CYSCREEN),
                      SWP_NOZORDER | SWP_NOACTIVATE))
        return AssertionFailure() << "SetWindowPos failed, error " << GetLastError();
    if (!GetClientRect(window, &client) || client.right - client.left < wanted_client)
        return AssertionFailure() << "the main window is " << client.right - client.left
                                  << " px wide inside, " << wanted_client
                                  << " needed for every column (is the screen wide enough?)";
    return AssertionSuccess();
}

std::vector<PaintedText> painted_texts(const Drawing& drawing) {
    std::vector<PaintedText> texts;
    texts.reserve(drawing.texts.size());
    for (const e2e::DrawnText& text : drawing.texts)
        texts.push_back({text.text, text.x, text.y});
    return texts;
}

struct Reading {
    int pages = 0;
    bool all_columns = true;
    std::string column_problem;
};

// Scrolls from the oldest record to the newest, one page at a time with one row of overlap,
// until a page shows nothing new.
AssertionResult read_export_rows(BrixtelProcess& brixtel, int points, ExportRowTally* tally,
                                 Reading* reading) {
    HWND window = brixtel.main_window();
    if (auto widened = widen_for_all_columns(window, points); !widened) {
        reading->all_columns = false;
        reading->column_problem = widened.message();
    }
    DrawRecorder recorder;
    if (auto attached = recorder.attach(window, kRecorderCapacity); !attached)
        return attached;
    const auto deadline = std::chrono::steady_clock::now() + kReadingBound;
    int position = 0;
    for (int page = 0; page < kMaxPages; ++page) {
        if (std::chrono::steady_clock::now() > deadline)
            return AssertionFailure() << "reading the rows took longer than 20 minutes";
        if (!brixtel.post(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position)))
            return AssertionFailure() << "cannot post WM_VSCROLL";
        Drawing shown;
        if (auto painted = recorder.repaint(&shown); !painted)
            return painted;
        const PageTally added = tally->add_page(painted_texts(shown));
        reading->pages = page + 1;
        if (!added.header_found)
            return AssertionFailure() << "page " << page + 1 << " shows no Export View header";
        if (page == 0 && reading->all_columns && !shown.find(L"1-2-5-" + std::to_wstring(points))) {
            reading->all_columns = false;
            reading->column_problem = "the last point's column is not drawn";
        }
        if (added.rows == 0 || (page > 0 && added.new_rows == 0 && added.untimed_rows == 0))
            break;
        position += added.rows > 1 ? static_cast<int>(added.rows) - 1 : 1;
        if (position > 0xFFFF)
            break;
    }
    return AssertionSuccess();
}

std::string figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

int run(const BenchOptions& options) {
    if (auto seeded = seed(options); !seeded)
        return fail(seeded.message());
    BrixtelProcess brixtel;
    if (auto on = start_monitoring(brixtel, options); !on)
        return fail(on.message());
    say("READY");

    if (!wait_for_stop_file(options, brixtel))
        return fail(brixtel.running() ? "no stop file within --max-seconds"
                                      : "the program ended while monitoring");
    if (auto off = stop_monitoring(brixtel, options); !off)
        return fail(off.message());

    if (options.export_view) {
        ExportRowTally tally(static_cast<std::size_t>(options.points));
        Reading reading;
        if (auto read = read_export_rows(brixtel, options.points, &tally, &reading); !read)
            return fail(read.message());
        if (!reading.all_columns)
            say("WARNING " + reading.column_problem);
        say("ROWS read=" + std::to_string(tally.rows()) + " complete=" +
            std::to_string(tally.complete_rows()) + " share=" + figure(tally.complete_share()) +
            " untimed=" + std::to_string(tally.untimed_rows()) +
            " pages=" + std::to_string(reading.pages));
    }
    return close_and_finish(brixtel);
}

} // namespace
} // namespace brixtel::bench

int wmain(int argc, wchar_t** argv) {
    const auto options = brixtel::bench::parse_bench_options(argc, argv);
    if (!options || !options->log_file.empty()) {
        std::fprintf(stderr, "usage: bench_views.exe --view debug|export --port N --stop-file "
                             "PATH [--points N] [--interval MS] [--max-seconds N]\n");
        return 2;
    }
    return brixtel::bench::run(*options);
}
