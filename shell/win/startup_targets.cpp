#include "shell/win/startup_targets.h"

#include "tags/tag_list_entry.h"
#include "tags/tag_list_registry.h"

namespace brixtel::win {

// The loop configuration keeps the file's entries as read, Simulation entries included, for
// the load after the settings; the registry gets only those it can store.
void AppStartupTargets::read_first_start_loop_entries() {
    app_.loops.read_first_start_entries(profile_);
}

void AppStartupTargets::add_database_file(std::uint32_t index, const std::wstring& path) {
    // The settings count their files from 1; the Database table numbers them from 0 + 2.
    app_.databases.add_at_startup(index - 1, path, app_.seat);
}

std::vector<std::wstring> AppStartupTargets::database_paths() {
    return app_.databases.paths_for_saving();
}

std::vector<std::wstring> AppStartupTargets::current_tag_entries() {
    std::vector<std::wstring> stored;
    for (const std::wstring& text : entry_texts(app_.tag_lists.points, app_.database_names))
        stored.push_back(to_stored_form(text));
    return stored;
}

void AppStartupTargets::read_all_tag_lists() {
    app_.tag_lists.lists = read_all_lists(app_.registry, app_.seat, app_.log_folders);
}

void AppStartupTargets::seed_first_tag_list(const std::vector<std::wstring>& stored_entries) {
    brixtel::seed_first_tag_list(app_.registry, app_.seat, app_.database_names, app_.tag_lists,
                                 stored_entries);
}

} // namespace brixtel::win
