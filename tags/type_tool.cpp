#include "tags/type_tool.h"

#include "platform/path.h"

namespace brixtel {

std::wstring type_tool_folder(std::wstring_view base_folder) {
    std::wstring folder(base_folder);
    if (folder.empty() || (folder.back() != L'\\' && folder.back() != L'/')) {
        folder += L'\\';
    }
    return folder + L"Programs";
}

std::wstring type_tool_path(std::wstring_view base_folder) {
    return type_tool_folder(base_folder) + L"\\vexrun.exe";
}

std::wstring type_tool_command_line(std::wstring_view tool, std::wstring_view database) {
    return quoted_if_blank(tool) + L" " + quoted_if_blank(database);
}

bool check_database_type(std::wstring_view base_folder, std::wstring_view database, Seat& seat,
                         const TypeToolSystem& system) {
    const std::wstring tool = type_tool_path(base_folder);
    if (!system.file_exists(tool)) {
        seat.message_box(ids::TypeToolNotFound, ids::CouldNotDetermineType, mb::IconInformation,
                         {tool});
        return true;
    }
    const ProcessOutcome outcome = system.run(type_tool_command_line(tool, database),
                                              type_tool_folder(base_folder), system.on_failure);
    if (!outcome.ran || outcome.exit_code == 0) {
        return true;
    }
    seat.message_box(ids::NotATagDatabase, ids::IncorrectDatabaseType, mb::IconInformation,
                     {database});
    return false;
}

} // namespace brixtel
