#pragma once
// Folders and process facts for the default log folder rule, held in memory.
#include "logging/default_log_location.h"

#include <set>
#include <string>

namespace brixtel::testing {

class FakeLogFolderSystem : public LogFolderSystem {
  public:
    std::set<std::wstring> folders;         // existing folders, exact spelling
    std::set<std::wstring> refused_folders; // folders whose creation fails
    std::wstring line = L"\"C:\\Halvo\\Programs\\Brixtel.exe\"";
    bool from_cd = false;
    std::optional<std::wstring> fixed_root;
    std::vector<std::wstring> created;

    bool folder_exists(std::wstring_view path) override {
        return folders.contains(std::wstring(path));
    }
    bool create_folder(std::wstring_view path) override {
        const std::wstring folder(path);
        if (refused_folders.contains(folder))
            return false;
        folders.insert(folder);
        created.push_back(folder);
        return true;
    }
    std::wstring command_line() override { return line; }
    bool running_from_cd() override { return from_cd; }
    std::optional<std::wstring> first_fixed_drive_root() override { return fixed_root; }
};

} // namespace brixtel::testing
