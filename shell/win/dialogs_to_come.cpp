#include "shell/win/dialogs_to_come.h"

namespace brixtel::win {

void run_live_loop_setup_dialog(App&) {}

} // namespace brixtel::win
