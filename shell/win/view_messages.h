#pragma once
// The views on the Main window: new entries drawn in batches, painting, scrolling, reset and
// resize.
#include "shell/win/app.h"

#include <string_view>

namespace brixtel::win {

// Asks the window to bring the views up to their new entries once the messages already queued
// are handled, or once it is idle (the timer): a burst of answers is drawn in one go.
inline constexpr UINT kFlushViewsMessage = WM_APP + 2;
inline constexpr UINT_PTR kFlushViewsTimer = 6;

// A Debug View line or the current Export View row (see Views::add_entry).
void add_view_entry(App& app, std::wstring_view text, bool received, bool export_row, bool advance);
// kFlushViewsMessage and kFlushViewsTimer: draws what the entries since the last one changed.
void flush_views(App& app);
// WM_PAINT.
void paint_views(App& app);
// WM_HSCROLL and WM_VSCROLL.
void scroll_views(App& app, ScrollBar bar, WPARAM wparam);
// Empties the View buffer and has the window repainted.
void reset_views(App& app);
// After WM_SIZE stored the new client size.
void adjust_views_to_size(App& app);

} // namespace brixtel::win
