#pragma once
// Tag Monitoring > Tag Name Lookup: the Tag Translation dialog over the program's tag lists,
// databases, settings and monitored points.
#include "shell/win/app.h"

namespace brixtel::win {

// 40010 "Tag Name Lookup"; true when monitored points were removed while it was open.
bool run_tag_name_lookup_dialog(App& app);

} // namespace brixtel::win
