#include "shell/win/view_messages.h"

#include "shell/win/view_window.h"
#include "tags/current_tag_list.h"

#include <algorithm>

namespace brixtel::win {

void add_view_entry(App& app, std::wstring_view text, bool received, bool export_row,
                    bool advance) {
    WindowDc dc(app.main_window);
    GdiCanvas canvas(dc.get());
    MainViewWindow window(app.main_window);
    app.views.add_entry(window, canvas, text, received, export_row, advance,
                        std::min(app.points.listed_count(), kSnapshotRows));
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
        app.views.paint(window, canvas, entries);
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
