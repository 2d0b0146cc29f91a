#pragma once
// The dialogs and steps of commands whose work arrives with later changes: the Live Loop
// Setup, the tag lookup and tag list dialogs. Each does, until it is built, what its dialog
// does when the user cancels it, so the commands around them already behave as they will.
#include "shell/win/app.h"

namespace brixtel::win {

// 40001 "Set IP Address".
void run_live_loop_setup_dialog(App& app);

enum class TagListMode { Load, Save, Delete };
// 40018, 40019, 40020; non-zero when a list was loaded, saved or deleted.
bool run_tag_list_dialog(App& app, TagListMode mode);

// Closing: unsaved tag list changes are offered for saving once.
void offer_to_save_changed_tags(App& app);

} // namespace brixtel::win
