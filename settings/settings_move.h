#pragma once
// Moving settings that an older installation kept machine-wide into the current user's hive,
// once: the machine-wide key is exported with the registry editor, the export is rewritten to
// name the user's key, and imported again. The user's Settings key is the mark of a finished
// move; the machine-wide key is left in place.
#include "platform/process.h"
#include "platform/registry.h"
#include "shell/seat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

inline constexpr std::wstring_view kExportFileName = L"BrixtelHKLM.reg";
inline constexpr std::wstring_view kRewrittenFileName = L"BrixtelHKLM.TMP";
inline constexpr std::wstring_view kRegistryEditor = L"regedit.exe";
// The text test looks at this many bytes from the start of the export.
inline constexpr std::size_t kTextTestBytes = 1024;

// The files, folders and programs the move works with.
class MoveSystem {
  public:
    virtual ~MoveSystem() = default;
    // The system's temporary folder, when it is known.
    virtual std::optional<std::wstring> temp_folder() = 0;
    virtual std::optional<std::wstring> windows_folder() = 0;
    virtual bool folder_exists(const std::wstring& path) = 0;
    virtual bool create_folder(const std::wstring& path) = 0;
    virtual bool file_exists(const std::wstring& path) = 0;
    virtual bool delete_file(const std::wstring& path) = 0;
    virtual bool rename_file(const std::wstring& from, const std::wstring& to) = 0;
    virtual std::optional<std::vector<std::uint8_t>> read_file(const std::wstring& path) = 0;
    virtual bool write_file(const std::wstring& path, std::span<const std::uint8_t> bytes) = 0;
    virtual bool is_utf16_text(std::span<const std::uint8_t> first_bytes) = 0;
    // Runs a program hidden and waits for it; only its exit code counts.
    virtual ProcessOutcome run(const std::wstring& command_line,
                               const std::wstring& working_folder) = 0;
};

void move_machine_settings(Registry& registry, Seat& seat, MoveSystem& system);

} // namespace brixtel
