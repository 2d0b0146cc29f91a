#pragma once
// A folder of files a test writes for itself, removed with everything in it at the end.
#include <filesystem>
#include <string>
#include <string_view>

namespace brixtel::testing {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes the bytes to a file of this name in the folder; returns its full path.
    std::wstring write(std::string_view name, std::string_view bytes) const;
    std::wstring file(std::string_view name) const;

  private:
    std::filesystem::path path_;
};

} // namespace brixtel::testing
