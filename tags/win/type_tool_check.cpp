#include "tags/win/type_tool_check.h"

#include "platform/process.h"
#include "shell/win/reporting.h"
#include "tags/type_tool.h"

#include <windows.h>

namespace brixtel {

namespace {

bool is_file(std::wstring_view path) {
    const DWORD attributes = GetFileAttributesW(std::wstring(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void report_failed_call(std::wstring_view call, std::uint32_t error) {
    // The box reads the calling thread's last error.
    SetLastError(error);
    api_error_box(call);
}

} // namespace

bool check_with_type_tool(std::wstring_view base_folder, std::wstring_view database, Seat& seat) {
    const TypeToolSystem system{is_file, run_hidden_process, report_failed_call};
    return check_database_type(base_folder, database, seat, system);
}

TypeCheck type_tool_check(std::wstring base_folder, Seat& seat) {
    return [folder = std::move(base_folder), &seat](std::wstring_view database) {
        return check_with_type_tool(folder, database, seat);
    };
}

} // namespace brixtel
