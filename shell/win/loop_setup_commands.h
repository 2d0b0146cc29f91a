#pragma once
// The Live Loop Setup command over the program's state.
#include "shell/win/app.h"

namespace brixtel::win {

// 40001 "Set IP Address": the Live Loop Setup dialog over the Main window.
void run_live_loop_setup_dialog(App& app);

} // namespace brixtel::win
