#include "shell/win/main_window.h"

#include "shell/status_texts.h"
#include "shell/string_table.h"
#include "shell/win/commands.h"
#include "shell/win/cycle_hooks.h"
#include "shell/win/interval_commands.h"
#include "shell/win/view_messages.h"

namespace brixtel::win {
namespace {

constexpr int kWindowWidth = 720;
constexpr int kWindowHeight = 480;

// The window procedure has no creation data to carry it, so start-up hands the state here.
App* g_app = nullptr;

WindowMetrics measure(HWND window) {
    WindowMetrics metrics;
    HDC dc = GetDC(window);
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old_font);
    ReleaseDC(window, dc);
    metrics.char_width = tm.tmAveCharWidth;
    metrics.line_height = tm.tmHeight + tm.tmExternalLeading;
    const LONG base_units = GetDialogBaseUnits();
    metrics.min_track_size.x = 60 * LOWORD(base_units);
    metrics.min_track_size.y = 5 * HIWORD(base_units) + GetSystemMetrics(SM_CYMENU) +
                               2 * GetSystemMetrics(SM_CYFRAME) +
                               4 * GetSystemMetrics(SM_CYCAPTION);
    return metrics;
}

// The bar's first texts, before start-up has read the settings.
void show_creation_texts(App& app) {
    StatusBar& bar = app.status_bar;
    bar.set_text(StatusMonitoring, monitoring_created_text(app.settings.frequency_ms));
    bar.set_text(StatusLogging, string_text(ids::LoggingOff));
    bar.set_text(StatusLogSize, log_size_zero_text(app.settings.log_size_mb));
    bar.set_text(StatusLogFile, string_text(ids::LogFileNone));
}

LRESULT on_create(App& app, HWND window) {
    app.main_window = window;
    app.metrics = measure(window);
    app.views.set_metrics({app.metrics.char_width, app.metrics.line_height});
    if (app.status_bar.create(window))
        show_creation_texts(app);
    return 0;
}

void free_lists(App& app) {
    app.points.remove_all(false);
    app.tag_lists = TagListState{};
}

void on_destroy(App& app) {
    // The records of the last turn, should their message never come.
    app.log_writer.write_pending_records();
    app.loops.shut_down_all(true);
    free_lists(app);
    for (UINT_PTR timer : {kPollTimer, kConnstatTimer, kLinkCheckTimer, kSyncClockTimer})
        stop_window_timer(app, timer);
    app.dde_server.unregister_service();
    PostQuitMessage(0);
}

LRESULT on_size(App& app, HWND window, WPARAM wparam, LPARAM lparam) {
    app.status_bar.forward_size(wparam, lparam);
    app.metrics.client_width = LOWORD(lparam);
    app.metrics.client_height = HIWORD(lparam);
    adjust_views_to_size(app);
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

void on_timer(App& app, UINT_PTR timer) {
    switch (timer) {
    case kPollTimer:
        return app.cycle.poll_tick();
    case kConnstatTimer:
        return app.cycle.connstat_tick();
    case kLinkCheckTimer:
        return app.cycle.link_check();
    case kSyncClockTimer:
        return synchronized_clock_tick(app);
    case kStatusShowTimer:
        return app.status_bar.show_texts();
    case kFlushViewsTimer:
        return flush_views(app);
    default:
        return;
    }
}

// An answer posted by a Receive thread (or by the program itself in Simulation mode); a
// WM_USER that carries no text of ours is ignored.
void on_answer(App& app, LPARAM text) {
    const std::optional<std::wstring> answer = app.posted_texts.take(text);
    app.cycle.answer_arrived(answer ? answer->c_str() : nullptr);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    App& app = *g_app;
    switch (message) {
    case WM_CREATE:
        return on_create(app, window);
    case WM_DESTROY:
        on_destroy(app);
        return 0;
    case WM_SIZE:
        return on_size(app, window, wparam, lparam);
    case WM_PAINT:
        paint_views(app);
        return 0;
    case WM_CLOSE:
        close_main_window(app, window);
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = app.metrics.min_track_size;
        break;
    case WM_COMMAND:
        if (run_command(app, window, LOWORD(wparam)))
            return 0;
        break;
    case WM_TIMER:
        on_timer(app, wparam);
        return 0;
    case WM_HSCROLL:
        scroll_views(app, ScrollBar::Horizontal, wparam);
        return 0;
    case WM_VSCROLL:
        scroll_views(app, ScrollBar::Vertical, wparam);
        return 0;
    case WM_USER:
        on_answer(app, lparam);
        return 0;
    case WM_USER + 1:
        app.dde_server.register_service();
        return 0;
    case kStatusTextMessage:
        app.status_bar.take_handed_over();
        return 0;
    case kFlushViewsMessage:
        flush_views(app);
        return 0;
    case kWriteLogMessage:
        app.log_writer.write_pending_records();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace

ATOM register_main_window_class(App& app) {
    g_app = &app;
    WNDCLASSW window_class{};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = app.instance;
    window_class.hIcon = LoadIconW(app.instance, L"Brixtel");
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszMenuName = L"Brixtel";
    window_class.lpszClassName = kMainWindowClass;
    return RegisterClassW(&window_class);
}

HWND create_main_window(App& app) {
    g_app = &app;
    return CreateWindowExW(0, kMainWindowClass, L"Brixtel",
                           WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr,
                           nullptr, app.instance, nullptr);
}

} // namespace brixtel::win
