#include "tags/tag_list_load.h"

#include "dde/item_grammar.h"
#include "tags/tag_list_entry.h"
#include "tags/tag_list_registry.h"

#include <algorithm>

namespace brixtel {
namespace {

constexpr std::wstring_view kEntrySeparator = L"--";
constexpr std::wstring_view kTitlePrefix = L"Brixtel - ";

// Saves the list again after bad entries were removed from it.
void store_cleaned_list(TagListContext& context, const TagListRecord& list) {
    if (!context.registry.open(RegistryRoot::CurrentUser, kTagsKeyPath,
                               RegistryAccess::ReadWrite)) {
        context.seat.message_box(ids::PointsKeyOpenFailed, ids::RegistryError, mb::Ok);
        return;
    }
    save_list(context.registry, context.seat, list_subkey_name(context.state.loaded_number), list);
}

// Converts the list's entries into the current tag list; removes the bad ones when the user
// agrees. Returns the number of points loaded.
std::uint32_t convert_entries(TagListContext& context, TagListRecord& list) {
    TagListState& state = context.state;
    state.points.clear();
    bool bad_seen = false;
    bool remove_bad = false;
    std::uint32_t loaded = 0;
    for (auto entry = list.entries.begin(); entry != list.entries.end();) {
        // Lines that are not entry texts at all are left alone.
        if (entry->find(kEntrySeparator) == std::wstring::npos) {
            ++entry;
            continue;
        }
        if (append_point(state.points, *entry, context.databases)) {
            ++loaded;
            ++entry;
            continue;
        }
        if (!bad_seen) {
            bad_seen = true;
            remove_bad = context.prompts.ask_delete_bad_points(list.name);
        }
        entry = remove_bad ? list.entries.erase(entry) : entry + 1;
    }
    if (bad_seen) {
        if (remove_bad)
            store_cleaned_list(context, list);
        if (loaded == 0)
            context.prompts.notify_no_points_loaded(list.name);
    }
    return loaded;
}

void finish_load(TagListContext& context, const CurrentLogging& logging) {
    TagListState& state = context.state;
    context.logging = logging;
    const bool synchronized_start = logging.options.start_time;
    context.seat.enable_command(Command::Monitoring, !synchronized_start && state.point_count != 0);
    state.changed = false;
    if (!state.current_name.empty())
        context.seat.set_window_title(std::wstring(kTitlePrefix) + state.current_name);
}

} // namespace

CurrentLogging default_logging(Registry& registry, LogFolderSystem& folders) {
    CurrentLogging logging;
    const std::wstring file = default_log_location(registry, folders, L"", false);
    const LogFileParts parts = split_log_file(file);
    logging.options.save_locale = file;
    logging.log_folder = parts.folder;
    logging.log_base_name = parts.base_name;
    return logging;
}

CurrentLogging logging_of_list(const TagListRecord& list) {
    CurrentLogging logging;
    logging.options = list.logging;
    const LogFileParts parts = split_log_file(list.logging.save_locale);
    logging.log_folder = parts.folder;
    logging.log_base_name = parts.base_name;
    return logging;
}

LoadOutcome load_current_list_by_name(TagListContext& context) {
    TagListState& state = context.state;
    TagListRecord* list =
        state.current_name.empty() ? nullptr : find_list(state.lists, state.current_name);
    if (!list && state.lists.size() > 1)
        return LoadOutcome::NotFound;
    if (!list && state.lists.size() == 1)
        list = &state.lists.front();
    // The list's own spelling from here on, whatever case the saved name had.
    state.current_name = list ? list->name : std::wstring();

    if (context.save_last_loaded)
        context.save_last_loaded(state.current_name);
    state.loaded = list;
    state.loaded_number = list_number(state.lists, list);

    if (!list) {
        finish_load(context, default_logging(context.registry, context.folders));
        return LoadOutcome::NoListSaved;
    }
    state.point_count = convert_entries(context, *list);
    finish_load(context, logging_of_list(*list));
    return LoadOutcome::Loaded;
}

void seed_first_tag_list(Registry& registry, Seat& seat, const DatabaseNames& databases,
                         TagListState& state, const std::vector<std::wstring>& stored_entries) {
    std::vector<std::wstring> entries;
    for (const std::wstring& stored : stored_entries) {
        entries.push_back(to_display_form(stored));
        append_point(state.points, entries.back(), databases);
    }
    state.point_count = static_cast<std::uint32_t>(entries.size());
    if (state.lists.empty())
        return;
    TagListRecord& first = state.lists.front();
    first.entries = std::move(entries);
    save_list(registry, seat, list_subkey_name(1), first);
}

bool check_list_before_loading(Seat& seat, const TagListRecord& list) {
    const auto bad = std::ranges::find_if(list.entries, [](const std::wstring& entry) {
        return !parse_point_description(entry).has_value();
    });
    if (bad == list.entries.end())
        return true;
    if (seat.message_box(ids::LoadBadPointQuestion, ids::InvalidPoint, mb::YesNo) == ButtonYes)
        return true;
    seat.message_box(ids::LoadWillNotContinue, ids::LoadAborted, mb::Ok);
    return false;
}

} // namespace brixtel
