#pragma once
// The default log folder's queries answered by the file system and the process.
#include "logging/default_log_location.h"

namespace brixtel::win {

class Win32LogFolderSystem : public LogFolderSystem {
  public:
    // Looks once whether the program runs from a CD-ROM.
    Win32LogFolderSystem();

    bool folder_exists(std::wstring_view path) override;
    bool create_folder(std::wstring_view path) override;
    std::wstring command_line() override;
    bool running_from_cd() override { return running_from_cd_; }
    std::optional<std::wstring> first_fixed_drive_root() override;

  private:
    bool running_from_cd_ = false;
};

} // namespace brixtel::win
