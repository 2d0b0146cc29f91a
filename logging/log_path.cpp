#include "logging/log_path.h"

#include "platform/case_fold.h"
#include "platform/path.h"
#include "shell/printf_text.h"

namespace brixtel {
namespace {

constexpr std::wstring_view kNameBreakers = L"|<>*?/\":";

// All but the last component; a drive root keeps its backslash, and a path without one
// gives nothing.
std::wstring parent_folder(std::wstring_view path) {
    const std::size_t at = path.rfind(L'\\');
    if (at == std::wstring_view::npos)
        return {};
    if (at + 1 == path.size() && at > 0)
        return parent_folder(path.substr(0, at)); // a trailing backslash names no component
    const bool drive_root = at == 2 && path[1] == L':';
    return std::wstring(path.substr(0, drive_root ? at + 1 : at));
}

} // namespace

std::wstring file_date_text(const std::optional<std::wstring>& short_date, const LocalTime& today) {
    if (!short_date)
        return printf_text(L"%04d%02d%02d", {std::int64_t{today.year}, std::int64_t{today.month},
                                             std::int64_t{today.day}});
    std::wstring joined;
    std::wstring piece;
    const auto take_piece = [&] {
        if (piece.empty())
            return;
        if (!joined.empty())
            joined += L'_';
        joined += piece;
        piece.clear();
    };
    for (wchar_t c : *short_date) {
        if (kNameBreakers.find(c) != std::wstring_view::npos)
            take_piece();
        else
            piece += c;
    }
    take_piece();
    return joined;
}

std::wstring file_date_text(LocaleClock& clock) {
    const LocalTime today = clock.now();
    return file_date_text(clock.short_date(today), today);
}

std::wstring log_path(const LogFileSetting& setting, std::wstring_view date_text, bool debug_view) {
    std::wstring name = setting.base_name;
    if (setting.append_date)
        name.append(L"_").append(date_text);
    return join_path(setting.folder, name).append(view_extension(debug_view));
}

bool create_log_folder(Seat& seat, LogFolderSystem& folders, std::wstring_view path) {
    std::wstring existing(path);
    while (!existing.empty() && !folders.folder_exists(existing))
        existing = parent_folder(existing);
    if (existing.empty()) {
        seat.message_box(ids::LogFolderHasNoRoot, ids::DirectoryDoesNotExist, mb::IconInformation,
                         {path});
        return false;
    }
    while (existing.size() < path.size()) {
        if (!starts_with_ignoring_case(path, existing)) {
            seat.message_box(ids::LogFolderPathLost, ids::Error, mb::IconHand, {path});
            return false;
        }
        std::size_t next = existing.size();
        if (path[next] == L'\\')
            ++next;
        if (next >= path.size())
            break; // only a trailing backslash was left
        const std::size_t end = path.find(L'\\', next);
        existing = std::wstring(path.substr(0, end));
        if (!folders.create_folder(existing)) {
            seat.message_box(ids::LogFolderNotCreated, ids::Error, mb::IconInformation, {existing});
            return false;
        }
    }
    return true;
}

std::optional<ExplorerFailure> explorer_failure(std::intptr_t result) {
    switch (result) {
    case 2:
    case 3:
        return ExplorerFailure{ids::ExplorerPathNotFound, ids::FileOrPathNotFound};
    case 5:
        return ExplorerFailure{ids::ExplorerAccessDenied, ids::AccessDenied};
    case 26:
        return ExplorerFailure{ids::ExplorerInUse, ids::ApplicationInUse};
    case 27:
    case 31:
        return ExplorerFailure{ids::ExplorerAssociationInvalid, ids::AssociationProblem};
    default:
        if (result > 32)
            return std::nullopt;
        return ExplorerFailure{ids::ExplorerShellExecuteError, ids::ShellExecuteError, true};
    }
}

} // namespace brixtel
