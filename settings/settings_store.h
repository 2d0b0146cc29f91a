#pragma once
// Saving single settings as they change, the numbered families (loop entries, database
// files) and the loop-entry read with its initialisation-file fallback. Failures are shown
// through the seat, owned by the Main window, and the in-memory values stay as they are.
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "shell/seat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brixtel {

// A number under the Settings key (PortLowerLimit, SigDig, LogSize, Frequency, ...).
bool save_number_setting(Registry& registry, Seat& seat, std::wstring_view name,
                         std::uint32_t value);
bool save_last_loaded(Registry& registry, Seat& seat, std::wstring_view list_name);
bool save_debug_view(Registry& registry, Seat& seat, bool debug_view);
bool save_show_blk_check(Registry& registry, Seat& seat, bool show);
bool save_show_log_alert(Registry& registry, Seat& seat, bool show);

// "Reset all suppressed dialogs": both notices are shown again, from now and after a restart.
void reset_suppressed_dialogs(Settings& settings, Registry& registry, Seat& seat);

// One configured loop as the registry keeps it.
struct StoredLoopEntry {
    std::int32_t loop = 0;
    std::int32_t pcu = -1; // -1: the entry serves every PCU of the loop
    std::uint32_t remote_port = 0;
    std::wstring host;
};

// "loop.pcu port host", or "loop port host" for an entry without a PCU.
std::wstring loop_entry_text(const StoredLoopEntry& entry);

// Rewrites "LoopEntries" from the entries in order, leaving out the one at leave_out.
// Simulation entries (remote port 0) live in memory only and are not written.
bool save_all_loop_entries(Registry& registry, Seat& seat, std::span<const StoredLoopEntry> entries,
                           std::optional<std::size_t> leave_out = std::nullopt);

// Rewrites "Databases" from the paths in the order added, leaving out the one equal to
// leave_out without regard to case.
bool save_all_database_files(Registry& registry, Seat& seat, std::span<const std::wstring> paths,
                             std::optional<std::wstring_view> leave_out = std::nullopt);

// The named "LoopEntries" value (at most max_characters - 1 characters); when the registry
// has none, the same key of the initialisation file, else the fallback.
std::wstring read_loop_entry(Registry& registry, PrivateProfile& profile, std::wstring_view name,
                             std::wstring_view fallback, std::size_t max_characters);

// Sets the named "LoopEntries" value, or deletes it when there is no text. Not checked.
void write_loop_entry(Registry& registry, std::wstring_view name,
                      std::optional<std::wstring_view> text);
// Sets NumberOfLoopEntries. Not checked.
void write_loop_entry_count(Registry& registry, std::uint32_t count);

} // namespace brixtel
