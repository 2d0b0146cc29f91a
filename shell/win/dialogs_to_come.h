#pragma once
// The dialogs and steps of commands whose work arrives with later changes: the Live Loop
// Setup dialog and the tag list files. Each does, until it is built, what its dialog
// does when the user cancels it, so the commands around them already behave as they will.
#include "shell/win/app.h"

namespace brixtel::win {

// 40001 "Set IP Address".
void run_live_loop_setup_dialog(App& app);

// 40022, 40023, 40024.
void save_excel_dde_file(App& app);
void export_current_tags(App& app);
void run_import_dialog(App& app);

} // namespace brixtel::win
