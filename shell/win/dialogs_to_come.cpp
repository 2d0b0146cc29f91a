#include "shell/win/dialogs_to_come.h"

namespace brixtel::win {

void run_live_loop_setup_dialog(App&) {}

bool run_tag_list_dialog(App&, TagListMode) {
    return false;
}

void offer_to_save_changed_tags(App&) {}

} // namespace brixtel::win
