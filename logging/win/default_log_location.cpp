#include "logging/win/default_log_location.h"

#include <windows.h>

#include <vector>

namespace brixtel::win {
namespace {

constexpr DWORD kDriveListChars = 1024;

// The root of the current directory ("D:\"), or nothing.
std::wstring current_directory_root() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return {};
    std::vector<wchar_t> buffer(size + 1, L'\0');
    if (GetCurrentDirectoryW(size + 1, buffer.data()) == 0)
        return {};
    std::wstring directory(buffer.data());
    if (directory.size() >= 2 && directory[1] == L':')
        return directory.substr(0, 2) + L'\\';
    return {};
}

} // namespace

Win32LogFolderSystem::Win32LogFolderSystem() {
    const std::wstring root = current_directory_root();
    running_from_cd_ = !root.empty() && GetDriveTypeW(root.c_str()) == DRIVE_CDROM;
}

bool Win32LogFolderSystem::folder_exists(std::wstring_view path) {
    const std::wstring text(path);
    const DWORD attributes = GetFileAttributesW(text.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32LogFolderSystem::create_folder(std::wstring_view path) {
    const std::wstring text(path);
    return CreateDirectoryW(text.c_str(), nullptr) != 0;
}

std::wstring Win32LogFolderSystem::command_line() {
    const wchar_t* line = GetCommandLineW();
    return line ? std::wstring(line) : std::wstring();
}

std::optional<std::wstring> Win32LogFolderSystem::first_fixed_drive_root() {
    std::vector<wchar_t> roots(kDriveListChars, L'\0');
    const DWORD length = GetLogicalDriveStringsW(kDriveListChars, roots.data());
    if (length == 0 || length > kDriveListChars)
        return std::nullopt;
    // Roots follow each other, each ended by a null; an empty one ends the list.
    for (const wchar_t* root = roots.data(); *root; root += wcslen(root) + 1)
        if (GetDriveTypeW(root) == DRIVE_FIXED)
            return std::wstring(root);
    return std::nullopt;
}

} // namespace brixtel::win
