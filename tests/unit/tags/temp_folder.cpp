#include "temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace brixtel::testing {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brixtel-tags-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) {
        std::filesystem::remove_all(path_, ignored);
    }
}

std::wstring TempFolder::file(std::string_view name) const {
    return (path_ / std::string(name)).wstring();
}

std::wstring TempFolder::write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(path_ / std::string(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file(name);
}

} // namespace brixtel::testing
