#pragma once
// The update interval and the synchronized start: their commands and the Sync check timer.
#include "shell/win/app.h"

namespace brixtel::win {

// 40011 "Set Update Interval".
void run_update_interval_dialog(App& app);
// 40025 "Synchronized Start".
void run_synchronized_start_dialog(App& app);
// Timer 4: the synchronized start and stop clock.
void synchronized_clock_tick(App& app);

} // namespace brixtel::win
