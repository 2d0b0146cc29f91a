#pragma once
// The tag database commands' glue to the program-wide state.
#include "shell/win/app.h"

namespace brixtel::win {

// 40009 "Enter Database File Names"; true when the main window must be repainted.
bool run_database_file_chooser(App& app);

} // namespace brixtel::win
