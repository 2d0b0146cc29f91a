#include "shell/win/dialogs_to_come.h"

namespace brixtel::win {

void run_live_loop_setup_dialog(App&) {}

void save_excel_dde_file(App&) {}

void export_current_tags(App&) {}

void run_import_dialog(App&) {}

} // namespace brixtel::win
