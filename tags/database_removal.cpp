#include "tags/database_removal.h"

#include "settings/settings_store.h"
#include "platform/case_fold.h"
#include "tags/tag_list_entry.h"

#include <algorithm>

namespace brixtel {

void RegistryDatabaseFileStore::save_database_files(std::span<const std::wstring> paths) {
    save_all_database_files(registry_, seat_, paths);
}

int CurrentListRemovalHooks::detach_points(std::span<const std::int32_t> numbers) {
    int detached = 0;
    for (PointNode& point : state_.points) {
        if (point.database_number == kDetachedDatabase ||
            std::find(numbers.begin(), numbers.end(), point.database_number) == numbers.end())
            continue;
        point.database_number = kDetachedDatabase;
        if (state_.point_count > 0)
            --state_.point_count;
        if (remove_monitored_)
            remove_monitored_(point.address);
        ++detached;
    }
    return detached;
}

void CurrentListRemovalHooks::database_removed(std::wstring_view path) {
    if (!state_.loaded)
        return;
    for (const std::wstring& entry : state_.loaded->entries) {
        const auto fields = read_tag_entry(entry);
        if (fields && equal_ignoring_case(fields->database_name, path)) {
            state_.changed = true;
            return;
        }
    }
}

} // namespace brixtel
