// Brixtel.ini, which seeds a first start: the file's text read into the profile, the whole
// first start over an empty registry (loop entries, database files, the first tag list), then
// a normal start from the registry the first one wrote, which must read the same settings.
#include "fuzz_support.h"
#include "platform/memory_registry.h"

using namespace brixtel;

namespace {

bool storable(const StoredLoopEntry& entry) {
    return entry.remote_port != 0 && entry.remote_port <= 65535 &&
           loop_entry_text(entry).size() < 255;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool windows_nt4 = data[0] & 2;
    MemoryProfile profile = fuzz::profile_of_text(fuzz::wide_text(fuzz::bytes_of(data, size)));

    MemoryRegistry registry;
    fuzz::ScriptedSeat seat;
    fuzz::StartupTargets first(registry, profile, seat);
    Settings settings;
    LoggingOptions logging;
    read_settings_at_startup(registry, profile, seat, first, windows_nt4, settings, logging);

    fuzz::check(first.loops.size() <= kMaxStoredLoopEntries, "loop entries are bounded");
    fuzz::check(first.databases_offered <= kMaxStoredDatabaseFiles, "database files are bounded");
    fuzz::check(first.lists.points.size() <= kMaxStoredListEntries, "the first list is bounded");
    // Refusals of database paths (28 at most) and nothing else: the registry takes everything.
    fuzz::check(seat.boxes <= kMaxStoredDatabaseFiles, "a first start shows few boxes");

    MemoryProfile no_file;
    fuzz::ScriptedSeat later_seat;
    fuzz::StartupTargets later(registry, no_file, later_seat);
    Settings again;
    LoggingOptions later_logging;
    read_settings_at_startup(registry, no_file, later_seat, later, windows_nt4, again,
                             later_logging);
    fuzz::check(later_seat.boxes == 0, "a normal start after a first start shows no box");
    fuzz::check(
        again.ports.lower == settings.ports.lower && again.ports.upper == settings.ports.upper &&
            again.frequency_ms == settings.frequency_ms && again.sig_dig == settings.sig_dig,
        "a normal start reads what the first start wrote");
    fuzz::check(later.databases.files() == first.databases.files(),
                "the database files are read back in order");

    // Simulation entries (port 0) live in memory only.
    std::vector<StoredLoopEntry> stored;
    for (const StoredLoopEntry& entry : first.loops)
        if (entry.remote_port != 0)
            stored.push_back(entry);
    const std::vector<StoredLoopEntry> read_back = read_stored_loop_entries(registry, no_file);
    fuzz::check(read_back.size() == stored.size(), "every stored loop entry is read back");
    for (std::size_t i = 0; i < stored.size(); ++i)
        fuzz::check(!storable(stored[i]) ||
                        loop_entry_text(read_back[i]) == loop_entry_text(stored[i]),
                    "a loop entry is read back as written");
    return 0;
}
