#pragma once
// The views on the Main window: direct drawing of new entries, painting, scrolling, reset
// and resize.
#include "shell/win/app.h"

#include <string_view>

namespace brixtel::win {

// A Debug View line or the current Export View row, drawn at once (see Views::add_entry).
void add_view_entry(App& app, std::wstring_view text, bool received, bool export_row, bool advance);
// WM_PAINT.
void paint_views(App& app);
// WM_HSCROLL and WM_VSCROLL.
void scroll_views(App& app, ScrollBar bar, WPARAM wparam);
// Empties the View buffer and has the window repainted.
void reset_views(App& app);
// After WM_SIZE stored the new client size.
void adjust_views_to_size(App& app);

} // namespace brixtel::win
