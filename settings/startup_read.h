#pragma once
// Reading every setting once at start-up: from the registry, or on a first start (no
// Settings key yet) from the initialisation file, which is then written to the registry so
// that later starts read the registry alone.
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "settings/logging_options.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "shell/seat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brixtel {

// What the settings read hands to the loop configuration, the tag databases and the tag
// lists. The calls come in this order:
//
// First start:
//   1. read_first_start_loop_entries()   the loop configuration reads its entries (registry
//                                        value first, initialisation file second, through
//                                        read_loop_entry) and keeps them all for its own
//                                        load; ports are already in Settings
//   2. loop_entries()                    its entries, to enable Monitoring when there is one
//   3. add_database_file(i, path)        for each "Database%d" of the file, i = 1 ... n
//   4. loop_entries(), database_paths(), current_tag_entries()
//                                        what is written to the new registry layout
//   5. read_all_tag_lists()              yields "List1" as just written
//   6. seed_first_tag_list(texts)        the file's "TagLookUp%d" texts (stored form, in
//                                        file order): they become the current points and,
//                                        when a first list exists, its entries, saved in full
//                                        under "List1"
// Normal start:
//   1. add_database_file(i, path)        for each "Database%d" of the registry, i = 1 ... n
//   2. read_all_tag_lists()
class StartupReadTargets {
  public:
    virtual ~StartupReadTargets() = default;

    virtual void read_first_start_loop_entries() = 0;
    virtual std::vector<StoredLoopEntry> loop_entries() = 0;
    // Adds the file to the Database table and parses it at once (no type check, no dialog).
    virtual void add_database_file(std::uint32_t index, const std::wstring& path) = 0;
    // The known database files in the order added.
    virtual std::vector<std::wstring> database_paths() = 0;
    // The current tag list in stored form (empty on a first start so far).
    virtual std::vector<std::wstring> current_tag_entries() = 0;
    virtual void read_all_tag_lists() = 0;
    virtual void seed_first_tag_list(const std::vector<std::wstring>& stored_entries) = 0;
};

// Reads all settings into `settings` and the current logging options into `logging` (which a
// first start fills from the file; a normal start leaves them to the tag list loaded next).
void read_settings_at_startup(Registry& registry, PrivateProfile& profile, Seat& seat,
                              StartupReadTargets& targets, bool windows_nt4, Settings& settings,
                              LoggingOptions& logging);

// The logging options as the initialisation file gives them, over the given defaults.
LoggingOptions read_profile_logging_options(PrivateProfile& profile, LoggingOptions options);

} // namespace brixtel
