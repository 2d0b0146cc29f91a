#pragma once
// The Type tool check on Windows: the tool is looked for on disk, run hidden through the
// platform's process runner, and failing system calls are reported with message 138.
#include "shell/seat.h"
#include "tags/database_files.h"

#include <string>
#include <string_view>

namespace brixtel {

// The check for one file; message boxes go through the seat (owned by the dialog that asks).
bool check_with_type_tool(std::wstring_view base_folder, std::wstring_view database, Seat& seat);

// The check as TagDatabases::add_from_dialog takes it. The seat must outlive the result.
TypeCheck type_tool_check(std::wstring base_folder, Seat& seat);

} // namespace brixtel
