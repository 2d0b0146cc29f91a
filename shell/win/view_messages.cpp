#include "shell/win/view_messages.h"

#include "shell/win/view_window.h"
#include "tags/current_tag_list.h"

namespace brixtel::win {

namespace {

// Drawing costs most per flush, not per entry: entries are drawn at most this often, and a
// burst that comes faster waits for the next turn.
constexpr DWORD kFlushSpacingMs = 20;

bool spacing_passed(const ViewFlushState& state) {
    return GetTickCount() - state.last_flush >= kFlushSpacingMs;
}

} // namespace

void add_view_entry(App& app, std::wstring_view text, bool received, bool export_row,
                    bool advance) {
    app.views.add_entry(text, received, export_row, advance);
    ViewFlushState& state = app.view_flush;
    if (state.posted)
        return;
    if (spacing_passed(state)) {
        // A posted flush comes after the messages queued now, however busy the queue is.
        state.posted = PostMessageW(app.main_window, kFlushViewsMessage, 0, 0) != FALSE;
    } else if (!state.timer) {
        // The timer comes as soon as the queue is idle; a busier queue brings the post above.
        state.timer = SetTimer(app.main_window, kFlushViewsTimer, kFlushSpacingMs, nullptr) != 0;
    }
}

void flush_views(App& app) {
    ViewFlushState& state = app.view_flush;
    if (state.timer)
        KillTimer(app.main_window, kFlushViewsTimer);
    state = ViewFlushState{};
    state.last_flush = GetTickCount();
    WindowDc dc(app.main_window);
    GdiCanvas canvas(dc.get());
    MainViewWindow window(app.main_window);
    app.views.flush(window, canvas);
}

void paint_views(App& app) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(app.main_window, &paint);
    {
        std::vector<std::wstring> entries;
        // The Export View heads its columns with the points that have a database.
        if (app.cycle.monitoring_on() || !app.settings.debug_view)
            entries = entry_texts(app.tag_lists.points, app.database_names);
        GdiCanvas canvas(dc);
        MainViewWindow window(app.main_window);
        const RECT& area = paint.rcPaint;
        app.views.paint(window, canvas, entries,
                        ViewRect{area.left, area.top, area.right, area.bottom});
    }
    EndPaint(app.main_window, &paint);
}

void scroll_views(App& app, ScrollBar bar, WPARAM wparam) {
    MainViewWindow window(app.main_window);
    app.views.scroll(window, bar, scroll_request_of(LOWORD(wparam)), HIWORD(wparam));
}

void reset_views(App& app) {
    MainViewWindow window(app.main_window);
    app.views.reset(window);
}

void adjust_views_to_size(App& app) {
    MainViewWindow window(app.main_window);
    app.views.adjust_to_size(window);
}

} // namespace brixtel::win
