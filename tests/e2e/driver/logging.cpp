#include "tests/e2e/driver/logging.h"

#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/remote_controls.h"
#include "tests/e2e/driver/window_query.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace brixtel::e2e {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

constexpr wchar_t kShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Log Data's dialog.
constexpr int kPathBox = 1154;
constexpr int kAppendDateBox = 1155;
constexpr int kDeleteExistingBox = 1159;

std::wstring temporary_folder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring folder(buffer, length);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

} // namespace

std::wstring file_date_text() {
    const std::wstring date = short_date_text();
    std::wstring text;
    std::wstring piece;
    for (std::size_t i = 0;; ++i) {
        const bool end = i == date.size();
        if (end || std::wstring_view(L"|<>*?/\":").find(date[i]) != std::wstring_view::npos) {
            if (!piece.empty())
                text += (text.empty() ? L"" : L"_") + piece;
            piece.clear();
            if (end)
                return text;
            continue;
        }
        piece += date[i];
    }
}

std::wstring short_date_text() {
    wchar_t date[128] = {};
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128) == 0)
        return {};
    return date;
}

AssertionResult open_dialog(const BrixtelProcess& program, UINT command, std::wstring_view title,
                            HWND* dialog) {
    if (!program.post_command(command))
        return AssertionFailure() << "command " << command << " not posted";
    return program.wait_for_window(title, dialog);
}

AssertionResult leave_dialog(const BrixtelProcess& program, HWND dialog, int button) {
    if (!click(dialog, button))
        return AssertionFailure() << "button " << button << " cannot be clicked";
    return program.wait_until_gone(dialog);
}

AssertionResult answer_message_box(const BrixtelProcess& program, std::wstring_view caption,
                                   std::wstring_view text, std::wstring_view button, HWND* box) {
    HWND found = nullptr;
    if (auto shown = program.wait_for_window(caption, &found); !shown)
        return shown;
    if (box)
        *box = found;
    const auto content = read_message_box(found);
    if (!content)
        return AssertionFailure() << "the box went away before it was read";
    if (content->text != text)
        return AssertionFailure() << "box text \"" << narrow(content->text) << "\"";
    if (!press_message_box_button(found, button))
        return AssertionFailure() << "the box has no " << narrow(button);
    return program.wait_until_gone(found);
}

AssertionResult command_checked(BrixtelProcess& program, UINT command, bool expected) {
    Menu menu;
    if (auto read = program.read_menu(&menu); !read)
        return read;
    const MenuItem* item = menu.find(command);
    if (!item)
        return AssertionFailure() << "no menu item " << command;
    if (item->checked != expected)
        return AssertionFailure() << "menu item " << command << " is "
                                  << (item->checked ? "" : "not ") << "checked";
    return AssertionSuccess();
}

AssertionResult log_new_data(const BrixtelProcess& program, const NewDataLog& log) {
    HWND dialog = nullptr;
    if (auto opened = open_dialog(program, kLogDataCommand, kLogTypeTitle, &dialog); !opened)
        return opened;
    if (!set_item_text(dialog, kPathBox, log.file) ||
        !set_checked(dialog, kAppendDateBox, log.append_date) ||
        !set_checked(dialog, kDeleteExistingBox, log.delete_existing))
        return AssertionFailure() << "the Logging type dialog cannot be filled in";
    if (auto left = leave_dialog(program, dialog, IDOK); !left)
        return left;
    return program.wait_for_status_text(kStatusLogging, L"Logging: ON");
}

// ---- The documents folder ----------------------------------------------------------------------

DocumentsFolder::~DocumentsFolder() {
    if (!redirected_)
        return;
    if (old_value_)
        write_string(HKEY_CURRENT_USER, kShellFoldersKey, L"Personal", *old_value_);
    remove_folder_tree(path_);
}

AssertionResult DocumentsFolder::redirect() {
    if (!redirected_)
        old_value_ = read_string(HKEY_CURRENT_USER, kShellFoldersKey, L"Personal");
    path_ = make_test_folder(L"documents");
    if (path_.empty())
        return AssertionFailure() << "no folder for the documents";
    if (!write_string(HKEY_CURRENT_USER, kShellFoldersKey, L"Personal", path_))
        return AssertionFailure() << "cannot point Personal at " << narrow(path_);
    redirected_ = true;
    return AssertionSuccess();
}

std::wstring make_test_folder(std::wstring_view stem) {
    static unsigned serial = 0;
    const std::wstring path = temporary_folder() + L"\\brixtel-" + std::wstring(stem) + L"-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++serial);
    return CreateDirectoryW(path.c_str(), nullptr) ? path : std::wstring();
}

bool remove_folder_tree(const std::wstring& path) {
    std::error_code error;
    const std::filesystem::path root(path);
    if (!std::filesystem::exists(root, error))
        return true;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(root, error);
    return !error;
}

// ---- Files -------------------------------------------------------------------------------------

std::optional<std::string> read_file_bytes(const std::wstring& path) {
    // Shared every way, as another reader of a log would open it.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

std::optional<std::uint64_t> file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool file_read_only(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool write_file_bytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

bool keep_artifact_file(const std::wstring& path, std::wstring_view name) {
    const wchar_t* folder = _wgetenv(L"BRIXTEL_E2E_ARTIFACTS");
    if (!folder || !*folder)
        return false;
    const std::wstring copy = std::wstring(folder) + L"\\" + std::wstring(name);
    return CopyFileW(path.c_str(), copy.c_str(), FALSE) != 0;
}

std::vector<std::string> crlf_lines(std::string_view text, bool* all_crlf) {
    std::vector<std::string> lines;
    bool crlf = true;
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        if (feed == std::string_view::npos || line.empty() || line.back() != '\r')
            crlf = false;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (feed == std::string_view::npos)
            break;
        text.remove_prefix(feed + 1);
    }
    if (all_crlf)
        *all_crlf = crlf;
    return lines;
}

std::vector<std::string> csv_fields(std::string_view line) {
    std::vector<std::string> fields;
    while (true) {
        const std::size_t comma = line.find(',');
        fields.emplace_back(line.substr(0, comma));
        if (comma == std::string_view::npos)
            return fields;
        line.remove_prefix(comma + 1);
    }
}

// ---- The synchronized start --------------------------------------------------------------------

ListedTime listed_time(int hour, int minute, bool twelve_hour) {
    if (!twelve_hour)
        return {hour, minute, L""};
    const int shown = hour % 12 == 0 ? 12 : hour % 12;
    return {shown, minute, hour < 12 ? L"AM" : L"PM"};
}

std::vector<std::wstring> combo_items(HWND dialog, int id) {
    return combo_box_items(dialog_item(dialog, id)).value_or(std::vector<std::wstring>{});
}

bool twelve_hour_clock(HWND sync_dialog) {
    return combo_items(sync_dialog, kSyncStart.hour).size() == 12;
}

namespace {

std::optional<std::wstring> selected_item(HWND dialog, int id) {
    const auto index = send_bounded(dialog_item(dialog, id), CB_GETCURSEL);
    const auto items = combo_items(dialog, id);
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= items.size())
        return std::nullopt;
    return items[static_cast<std::size_t>(*index)];
}

} // namespace

std::optional<ListedTime> shown_time(HWND sync_dialog, const SyncTimeIds& ids) {
    const auto hour = selected_item(sync_dialog, ids.hour);
    const auto minute = selected_item(sync_dialog, ids.minute);
    if (!hour || !minute)
        return std::nullopt;
    ListedTime time{std::stoi(*hour), std::stoi(*minute), L""};
    if (twelve_hour_clock(sync_dialog)) {
        const auto am_pm = selected_item(sync_dialog, ids.am_pm);
        if (!am_pm)
            return std::nullopt;
        time.am_pm = *am_pm;
    }
    return time;
}

AssertionResult choose_time(HWND sync_dialog, const SyncTimeIds& ids, int hour, int minute) {
    const bool twelve = twelve_hour_clock(sync_dialog);
    const ListedTime wanted = listed_time(hour, minute, twelve);
    const auto hours = combo_items(sync_dialog, ids.hour);
    int hour_index = -1;
    for (std::size_t i = 0; i < hours.size(); ++i) {
        if (std::stoi(hours[i]) == wanted.hour)
            hour_index = static_cast<int>(i);
    }
    if (hour_index < 0 || !select_combo_box_item(sync_dialog, ids.hour, hour_index) ||
        !select_combo_box_item(sync_dialog, ids.minute, minute))
        return AssertionFailure() << "time " << hour << ":" << minute << " not listed";
    if (twelve && !select_combo_box_item(sync_dialog, ids.am_pm, wanted.am_pm == L"AM" ? 0 : 1))
        return AssertionFailure() << "no AM/PM list";
    return AssertionSuccess();
}

AssertionResult start_synchronized_now(const BrixtelProcess& program, bool sync_log,
                                       std::wstring_view monitoring_on_text) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        // Late in a minute the dialog may not be done before it turns: wait for the next one.
        if (now.wSecond >= 40) {
            const WORD minute = now.wMinute;
            if (!poll_until(
                    [&] {
                        GetLocalTime(&now);
                        return now.wMinute != minute;
                    },
                    30s, 200ms))
                return AssertionFailure() << "the clock did not move";
        }
        HWND dialog = nullptr;
        if (auto opened = open_dialog(program, kSynchronizedStartCommand, kSyncStartTitle, &dialog);
            !opened)
            return opened;
        if (!set_checked(dialog, kSyncStart.on, true) ||
            !poll_until([&] { return item_enabled(dialog, kSyncStart.hour); }, kWaitBound))
            return AssertionFailure() << "the start time cannot be ticked";
        if (auto chosen = choose_time(dialog, kSyncStart, now.wHour, now.wMinute); !chosen)
            return chosen;
        if (!set_checked(dialog, kSyncLogBox, sync_log))
            return AssertionFailure() << "the Sync logging box cannot be set";
        if (auto left = leave_dialog(program, dialog, IDOK); !left)
            return left;
        if (program.wait_for_status_text(kStatusMonitoring, monitoring_on_text))
            return AssertionSuccess();
        SYSTEMTIME after{};
        GetLocalTime(&after);
        if (after.wMinute == now.wMinute)
            return AssertionFailure() << "monitoring did not start in its minute";
    }
    return AssertionFailure() << "the minute turned at every attempt";
}

} // namespace brixtel::e2e
