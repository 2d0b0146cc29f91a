#pragma once
// The status bar's log parts (1: logging on or off, 2: the log size against its limit).
namespace brixtel::win {

struct App;

// Shows the log parts as the logging state stands, after the size limit may have changed.
// Logging cannot be switched on yet and no log file exists, so part 1 is "Logging: OFF" and
// part 2 the empty log against the limit in use.
void refresh_log_status_texts(App& app);

} // namespace brixtel::win
