#pragma once
// File > Load, Save and Delete Tag List, and the offer to save a changed tag list when the
// program closes: the Tag list dialog over the program's lists, points and logging options.
#include "shell/win/app.h"
#include "tags/tag_list_actions.h"

namespace brixtel::win {

// 40018, 40019, 40020, and the load at start-up when the last list cannot be told; true when a
// list was loaded, saved, or the loaded list deleted.
bool run_tag_list_dialog(App& app, TagListMode mode);

// Closing: unsaved tag list changes are offered for saving once.
void offer_to_save_changed_tags(App& app);

// Loads the list named by the current list name (or the only saved list), with the count-down
// prompts over the main window; a list found hands its logging options to the log writer.
LoadOutcome load_list_by_current_name(App& app);

} // namespace brixtel::win
