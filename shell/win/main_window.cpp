#include "shell/win/main_window.h"

#include "logging/win/log_size_dialog.h"
#include "settings/settings_store.h"
#include "shell/status_texts.h"
#include "shell/string_table.h"
#include "shell/win/about_dialog.h"
#include "shell/win/log_status_texts.h"
#include "shell/win/resource_ids.h"
#include "shell/win/significant_digits_dialog.h"

#include <windowsx.h>

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
    if (app.status_bar.create(window))
        show_creation_texts(app);
    return 0;
}

void on_destroy(App& app) {
    app.loops.shut_down_all(true);
    for (UINT_PTR timer : {kPollTimer, kConnstatTimer, kLinkCheckTimer})
        KillTimer(app.main_window, timer);
    PostQuitMessage(0);
}

LRESULT on_size(App& app, HWND window, WPARAM wparam, LPARAM lparam) {
    app.status_bar.forward_size(wparam, lparam);
    app.metrics.client_width = LOWORD(lparam);
    app.metrics.client_height = HIWORD(lparam);
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

LRESULT on_close(App& app, HWND window) {
    if (app.cycle.monitoring_on())
        app.cycle.stop_for_exit();
    app.snapshots.free_all();
    DestroyWindow(window);
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
    default:
        return;
    }
}

// An answer posted by a Receive thread (or by the program itself in Simulation mode); the
// window owns the text from here on.
void on_answer(App& app, LPARAM text) {
    const std::wstring answer = take_answer_text(text);
    app.cycle.answer_arrived(text ? answer.c_str() : nullptr);
}

void toggle_monitoring(App& app, HWND window) {
    app.cycle.monitoring_command(app.tag_lists.points);
    InvalidateRect(window, nullptr, TRUE);
}

void on_get_min_max_info(App& app, MINMAXINFO* info) {
    info->ptMinTrackSize = app.metrics.min_track_size;
}

void switch_view(App& app, HWND window, bool to_debug_view) {
    const UINT chosen = to_debug_view ? CMD_DEBUG_VIEW : CMD_EXPORT_VIEW;
    const DWORD previous = CheckMenuItem(GetMenu(window), chosen, MF_BYCOMMAND | MF_CHECKED);
    if (previous == MF_CHECKED)
        return;
    check_view_items(window, to_debug_view);
    app.settings.debug_view = to_debug_view;
    if (!to_debug_view)
        EnableScrollBar(window, SB_HORZ, ESB_ENABLE_BOTH);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    save_debug_view(app.registry, app.seat, to_debug_view);
}

// Returns false for commands this window does not carry out, which then go on to the default.
bool on_command(App& app, HWND window, UINT command) {
    switch (command) {
    case CMD_EXIT:
        return on_close(app, window), true;
    case CMD_MONITORING:
        return toggle_monitoring(app, window), true;
    case CMD_DEBUG_VIEW:
        return switch_view(app, window, true), true;
    case CMD_EXPORT_VIEW:
        return switch_view(app, window, false), true;
    case CMD_RESET_SUPPRESSED_DIALOGS:
        return reset_suppressed_dialogs(app.settings, app.registry, app.seat), true;
    case CMD_ABOUT:
        return show_about_dialog(app), true;
    case CMD_SIGNIFICANT_DIGITS:
        return run_significant_digits_dialog(app), InvalidateRect(window, nullptr, TRUE), true;
    case CMD_LOG_FILE_SIZE:
        run_log_size_dialog(app.instance, window,
                            {app.current_logging.options, app.settings, app.registry, app.seat});
        refresh_log_status_texts(app);
        return true;
    default:
        return false;
    }
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
    case WM_CLOSE:
        return on_close(app, window);
    case WM_TIMER:
        on_timer(app, wparam);
        return 0;
    case WM_USER:
        on_answer(app, lparam);
        return 0;
    case WM_GETMINMAXINFO:
        on_get_min_max_info(app, reinterpret_cast<MINMAXINFO*>(lparam));
        break;
    case WM_COMMAND:
        if (on_command(app, window, LOWORD(wparam)))
            return 0;
        break;
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

void open_tag_list_dialog_for_load(App&) {}

void check_view_items(HWND window, bool debug_view) {
    HMENU menu = GetMenu(window);
    CheckMenuItem(menu, CMD_DEBUG_VIEW, MF_BYCOMMAND | (debug_view ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, CMD_EXPORT_VIEW, MF_BYCOMMAND | (debug_view ? MF_UNCHECKED : MF_CHECKED));
}

} // namespace brixtel::win
