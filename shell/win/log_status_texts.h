#pragma once
// The status bar's log parts after the size limit or the options may have changed.
namespace brixtel::win {

struct App;

// Once a log file has been named, its size is checked against the limit (parts 1, 2 and 3;
// part 1 goes back to "Logging: OFF" while logging is off). Before that only the limit in
// part 2 changes.
void refresh_log_status_texts(App& app);

} // namespace brixtel::win
