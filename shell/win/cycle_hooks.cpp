#include "shell/win/cycle_hooks.h"

#include "shell/win/app.h"
#include "shell/win/resource_ids.h"
#include "shell/win/view_messages.h"

namespace brixtel::win {
namespace {

constexpr int kDateTimeChars = 32;

SYSTEMTIME system_time_of(const LocalTime& t) {
    SYSTEMTIME st{};
    st.wYear = t.year;
    st.wMonth = t.month;
    st.wDayOfWeek = t.day_of_week;
    st.wDay = t.day;
    st.wHour = t.hour;
    st.wMinute = t.minute;
    st.wSecond = t.second;
    st.wMilliseconds = t.milliseconds;
    return st;
}

} // namespace

LocalTime WindowClock::now() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

std::optional<std::wstring> WindowClock::short_date(const LocalTime& moment) {
    const SYSTEMTIME st = system_time_of(moment);
    wchar_t text[kDateTimeChars] = {};
    if (!GetDateFormatW(GetThreadLocale(), DATE_SHORTDATE, &st, nullptr, text, kDateTimeChars))
        return std::nullopt;
    return std::wstring(text);
}

std::optional<std::wstring> WindowClock::time_of_day(const LocalTime& moment) {
    const SYSTEMTIME st = system_time_of(moment);
    wchar_t text[kDateTimeChars] = {};
    if (!GetTimeFormatW(GetThreadLocale(), 0, &st, nullptr, text, kDateTimeChars))
        return std::nullopt;
    return std::wstring(text);
}

std::uint32_t MainReplyWindow::handle() const {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(app_.main_window));
}

bool MainReplyWindow::is_window(std::uint32_t handle) const {
    return app_.answer_poster.is_own_window(handle);
}

void MainReplyWindow::post_answer(std::uint32_t window, std::optional<std::wstring> answer) {
    if (answer)
        app_.answer_poster.post_answer(window, *answer);
    else
        PostMessageW(window_of_handle(window), WM_USER, 0, 0);
}

bool WindowCycleView::debug_view_shown() const {
    return app_.settings.debug_view;
}

void WindowCycleView::add_debug_line(std::wstring_view text, bool received) {
    add_view_entry(app_, text, received, false, true);
}

// A row's cells come from the newest record; the text only sets the row's height.
void WindowCycleView::give_export_row() {
    add_view_entry(app_, L"X", true, true, true);
}

void WindowCycleView::refresh_export_row() {
    add_view_entry(app_, L"X", true, true, false);
}

void WindowCycleView::repaint() {
    InvalidateRect(app_.main_window, nullptr, TRUE);
}

std::wstring WindowCycleView::monitoring_status_text() const {
    return app_.status_bar.text(StatusMonitoring);
}

void WindowCycleView::check_monitoring_item(bool checked) {
    CheckMenuItem(GetMenu(app_.main_window), CMD_MONITORING,
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool AppLogSources::debug_view() const {
    return app_.settings.debug_view;
}

std::wstring AppLogSources::loaded_list_name() const {
    return app_.tag_lists.loaded ? app_.tag_lists.loaded->name : std::wstring();
}

std::vector<BlockAddress> AppLogSources::listed_points() const {
    std::vector<BlockAddress> listed;
    for (const MonitoredPoint& point : app_.points)
        if (!point.dde_only)
            listed.push_back(point.address);
    return listed;
}

const CurrentTagList& AppLogSources::tag_list() const {
    return app_.tag_lists.points;
}

bool WindowLogBatching::request_write() {
    return app_.main_window && PostMessageW(app_.main_window, kWriteLogMessage, 0, 0) != FALSE;
}

bool WindowCycleTimers::start_poll_timer(std::uint32_t interval_ms) {
    return start_window_timer(app_, kPollTimer, interval_ms);
}

void WindowCycleTimers::stop_poll_timer() {
    stop_window_timer(app_, kPollTimer);
}

std::uint32_t WindowCycleTimers::update_interval_ms() const {
    return app_.settings.frequency_ms;
}

bool WindowCycleTimers::synchronized_start_set() const {
    return app_.log_writer.current_logging().options.start_time;
}

bool WindowCycleTimers::synchronized_stop_set() const {
    return app_.log_writer.current_logging().options.stop_time;
}

bool WindowCycleTimers::synchronized_start_passed() const {
    if (!synchronized_start_set())
        return false;
    SYSTEMTIME st{};
    GetLocalTime(&st);
    const LoggingOptions options = app_.log_writer.current_logging().options;
    return st.wHour * 60 + st.wMinute >
           static_cast<int>(options.start_hour * 60 + options.start_minute);
}

} // namespace brixtel::win
