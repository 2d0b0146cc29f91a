#pragma once
// Where logs go when the user has chosen nothing: a "Halvo LOGS" folder in the user's
// documents, else a LOG folder beside the installation, the program or on the first fixed
// drive. The file system and process queries are injected so the rule runs anywhere.
#include "platform/path.h"
#include "platform/registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

class LogFolderSystem {
  public:
    virtual ~LogFolderSystem() = default;
    virtual bool folder_exists(std::wstring_view path) = 0;
    // Creates one folder whose parent exists.
    virtual bool create_folder(std::wstring_view path) = 0;
    virtual std::wstring command_line() = 0;
    // Set once at start-up when the current directory is on a CD-ROM drive.
    virtual bool running_from_cd() = 0;
    // The first drive root of the system's list that is a fixed drive ("C:\").
    virtual std::optional<std::wstring> first_fixed_drive_root() = 0;
};

// ".LOG" in the Debug View, ".CSV" in the Export View.
std::wstring_view view_extension(bool debug_view);

// The default log folder; empty when no step found one.
std::wstring default_log_folder(Registry& registry, LogFolderSystem& system);

// "Brixtel_<list>.LOG"/".CSV" for a loaded list, "Brixtel.LOG"/".CSV" without one.
std::wstring default_log_file_name(std::wstring_view loaded_list_name, bool debug_view);

// The default log folder joined with the default file name.
std::wstring default_log_location(Registry& registry, LogFolderSystem& system,
                                  std::wstring_view loaded_list_name, bool debug_view);

// A tag list's own log file when it has none stored: "<folder>\Brixtel_<list>.LOG".
std::wstring list_log_file(std::wstring_view default_folder, std::wstring_view list_name);

// A log file path split into its folder (all but the last component) and its last component
// without the extension.
struct LogFileParts {
    std::wstring folder;
    std::wstring base_name;
};
LogFileParts split_log_file(std::wstring_view path);

} // namespace brixtel
