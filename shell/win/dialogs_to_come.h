#pragma once
// The dialogs and steps of commands whose work arrives with later changes: the Live Loop
// Setup dialog. It does, until it is built, what the dialog does when the user cancels it,
// so the command around it already behaves as it will.
#include "shell/win/app.h"

namespace brixtel::win {

// 40001 "Set IP Address".
void run_live_loop_setup_dialog(App& app);

} // namespace brixtel::win
