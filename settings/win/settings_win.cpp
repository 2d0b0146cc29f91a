#include "settings/win/settings_win.h"

#include "platform/os_version.h"
#include "platform/win/system_profile.h"
#include "settings/settings_move.h"

#include <windows.h>

#include <string>

namespace brixtel {
namespace {

constexpr DWORD kFolderCharacters = 1024;

std::wstring system_error_text(std::uint32_t error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result(text ? text : L"", length);
    if (text)
        LocalFree(text);
    return result;
}

class HandleGuard {
  public:
    explicit HandleGuard(HANDLE handle) : handle_(handle) {}
    ~HandleGuard() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

class SystemMove : public MoveSystem {
  public:
    explicit SystemMove(Seat& seat) : seat_(seat) {}

    std::optional<std::wstring> temp_folder() override {
        wchar_t buffer[kFolderCharacters];
        const DWORD length = GetTempPathW(kFolderCharacters, buffer);
        if (length == 0 || length >= kFolderCharacters)
            return std::nullopt;
        return std::wstring(buffer, length);
    }
    std::optional<std::wstring> windows_folder() override {
        wchar_t buffer[kFolderCharacters];
        const UINT length = GetWindowsDirectoryW(buffer, kFolderCharacters);
        if (length == 0 || length >= kFolderCharacters)
            return std::nullopt;
        return std::wstring(buffer, length);
    }
    bool folder_exists(const std::wstring& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool create_folder(const std::wstring& path) override {
        return CreateDirectoryW(path.c_str(), nullptr) != 0;
    }
    bool file_exists(const std::wstring& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool delete_file(const std::wstring& path) override { return DeleteFileW(path.c_str()) != 0; }
    bool rename_file(const std::wstring& from, const std::wstring& to) override {
        return MoveFileW(from.c_str(), to.c_str()) != 0;
    }
    std::optional<std::vector<std::uint8_t>> read_file(const std::wstring& path) override {
        HandleGuard file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return std::nullopt;
        std::vector<std::uint8_t> content;
        std::uint8_t buffer[4096];
        DWORD read = 0;
        while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            content.insert(content.end(), buffer, buffer + read);
        return content;
    }
    bool write_file(const std::wstring& path, std::span<const std::uint8_t> bytes) override {
        HandleGuard file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD written = 0;
            if (!WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                           &written, nullptr) ||
                written == 0)
                return false;
            done += written;
        }
        return true;
    }
    bool is_utf16_text(std::span<const std::uint8_t> first_bytes) override {
        if (first_bytes.empty())
            return false;
        return IsTextUnicode(first_bytes.data(), static_cast<int>(first_bytes.size()), nullptr) !=
               0;
    }
    ProcessOutcome run(const std::wstring& command_line,
                       const std::wstring& working_folder) override {
        return run_hidden_process(command_line, working_folder,
                                  [this](std::wstring_view call, std::uint32_t error) {
                                      report_system_call_failure(seat_, call, error);
                                  });
    }

  private:
    Seat& seat_;
};

} // namespace

void report_system_call_failure(Seat& seat, std::wstring_view call, std::uint32_t error) {
    seat.message_box(ids::ApiError, ids::Error, mb::Ok | mb::IconExclamation,
                     {call, error, system_error_text(error)});
}

void move_machine_settings(Registry& registry, Seat& seat) {
    SystemMove system(seat);
    move_machine_settings(registry, seat, system);
}

void read_settings_at_startup(Registry& registry, Seat& seat, StartupReadTargets& targets,
                              Settings& settings, LoggingOptions& logging) {
    SystemProfile profile{std::wstring(kProfileFile)};
    read_settings_at_startup(registry, profile, seat, targets, is_windows_nt4(os_version()),
                             settings, logging);
}

} // namespace brixtel
