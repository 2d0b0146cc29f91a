#include "logging/default_log_location.h"

#include "settings/registry_values.h"

namespace brixtel {
namespace {

constexpr std::wstring_view kShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::wstring_view kMakerKey = L"Software\\Quorrel";

// Read through a buffer of 1024 characters; anything that does not fit counts as empty.
constexpr std::size_t kTextBufferBytes = 1024 * sizeof(char16_t);

std::wstring registry_text(Registry& registry, std::wstring_view path, std::wstring_view name) {
    const auto key = registry.open(RegistryRoot::CurrentUser, path, RegistryAccess::Read);
    if (!key)
        return {};
    return query_text(*key, name, kTextBufferBytes).value_or(std::wstring());
}

bool is_separator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring trim_blanks_and_quotes(std::wstring_view text) {
    const auto unwanted = [](wchar_t c) { return c == L' ' || c == L'"'; };
    while (!text.empty() && unwanted(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && unwanted(text.back()))
        text.remove_suffix(1);
    return std::wstring(text);
}

// All but the last path component; a drive root keeps its backslash.
std::wstring without_last_component(std::wstring_view path) {
    std::size_t at = path.size();
    while (at > 0 && !is_separator(path[at - 1]))
        --at;
    if (at == 0)
        return {};
    const bool root = at == 1 || (at == 3 && path[1] == L':');
    return std::wstring(path.substr(0, root ? at : at - 1));
}

// The documents folder's "Halvo LOGS", taken only when it exists or can be made.
std::wstring documents_candidate(Registry& registry, LogFolderSystem& system) {
    const std::wstring personal = registry_text(registry, kShellFoldersKey, L"Personal");
    if (personal.empty() || !system.folder_exists(personal))
        return {};
    std::wstring candidate = join_path(personal, L"Halvo LOGS");
    if (system.folder_exists(candidate) || system.create_folder(candidate))
        return candidate;
    return {};
}

// The installation's LOG folder is taken even when it cannot be made: the first write then
// reports the problem.
std::wstring installation_candidate(Registry& registry, LogFolderSystem& system) {
    const std::wstring install_dir = registry_text(registry, kMakerKey, L"InstallDir");
    if (install_dir.empty() || !system.folder_exists(install_dir))
        return {};
    std::wstring candidate = join_path(install_dir, L"LOG");
    if (!system.folder_exists(candidate))
        system.create_folder(candidate);
    return candidate;
}

std::wstring program_folder_candidate(LogFolderSystem& system) {
    if (system.running_from_cd())
        return {};
    const std::wstring folder =
        without_last_component(trim_blanks_and_quotes(system.command_line()));
    if (folder.empty() || !system.folder_exists(folder))
        return {};
    std::wstring candidate = join_path(folder, L"LOG");
    if (system.folder_exists(candidate) || system.create_folder(candidate))
        return candidate;
    return {};
}

std::wstring fixed_drive_candidate(LogFolderSystem& system) {
    const auto root = system.first_fixed_drive_root();
    if (!root || !system.folder_exists(*root))
        return {};
    std::wstring candidate = join_path(*root, L"LOG");
    if (!system.folder_exists(candidate))
        system.create_folder(candidate);
    return candidate;
}

} // namespace

std::wstring default_log_folder(Registry& registry, LogFolderSystem& system) {
    std::wstring folder = documents_candidate(registry, system);
    if (folder.empty())
        folder = installation_candidate(registry, system);
    if (folder.empty())
        folder = program_folder_candidate(system);
    if (folder.empty())
        folder = fixed_drive_candidate(system);
    return folder;
}

std::wstring default_log_file_name(std::wstring_view loaded_list_name, bool debug_view) {
    const std::wstring_view extension = debug_view ? L"LOG" : L"CSV";
    if (loaded_list_name.empty())
        return L"Brixtel." + std::wstring(extension);
    return L"Brixtel_" + std::wstring(loaded_list_name) + L'.' + std::wstring(extension);
}

std::wstring default_log_location(Registry& registry, LogFolderSystem& system,
                                  std::wstring_view loaded_list_name, bool debug_view) {
    return join_path(default_log_folder(registry, system),
                     default_log_file_name(loaded_list_name, debug_view));
}

std::wstring list_log_file(std::wstring_view default_folder, std::wstring_view list_name) {
    return std::wstring(default_folder) + L"\\Brixtel_" + std::wstring(list_name) + L".LOG";
}

LogFileParts split_log_file(std::wstring_view path) {
    std::size_t at = path.size();
    while (at > 0 && !is_separator(path[at - 1]))
        --at;
    LogFileParts parts;
    parts.folder = at == 0 ? std::wstring() : without_last_component(path);
    std::wstring_view last = path.substr(at);
    const std::size_t dot = last.rfind(L'.');
    if (dot != std::wstring_view::npos)
        last = last.substr(0, dot);
    parts.base_name = last;
    return parts;
}

std::wstring_view view_extension(bool debug_view) {
    return debug_view ? L".LOG" : L".CSV";
}

} // namespace brixtel
