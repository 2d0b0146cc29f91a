#pragma once
// Before a file joins the tag databases, the Type tool of the product family is asked whether
// it is a tag database at all: it runs hidden with the file's path and answers by its exit
// code (0: a tag database).
#include "platform/process.h"
#include "shell/seat.h"

#include <functional>
#include <string>
#include <string_view>

namespace brixtel {

// The tool below the installation base folder, and the folder it runs in.
std::wstring type_tool_folder(std::wstring_view base_folder);
std::wstring type_tool_path(std::wstring_view base_folder);

// "<tool> <database>", each in double quotes when it holds a blank.
std::wstring type_tool_command_line(std::wstring_view tool, std::wstring_view database);

// What the check needs from the system.
struct TypeToolSystem {
    std::function<bool(std::wstring_view path)> file_exists;
    std::function<ProcessOutcome(std::wstring_view command_line, std::wstring_view folder,
                                 const SystemCallFailed& on_failure)>
        run;
    // Reports a system call that failed while running the tool (message 138).
    SystemCallFailed on_failure;
};

// True: accept the file. A missing tool accepts it after message 133; a tool that ends
// with any code but 0 rejects it with message 136; a tool that could not be run accepts it
// (its failing calls have been reported).
bool check_database_type(std::wstring_view base_folder, std::wstring_view database, Seat& seat,
                         const TypeToolSystem& system);

} // namespace brixtel
