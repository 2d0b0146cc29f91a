#include "tags/tag_list_actions.h"

#include "platform/case_fold.h"
#include "shell/printf_text.h"
#include "tags/tag_list_files.h"
#include "tags/tag_list_registry.h"

#include <algorithm>

namespace brixtel {
namespace {

constexpr std::wstring_view kTitle = L"Brixtel";
constexpr std::wstring_view kTitleWithList = L"Brixtel - %s";
constexpr std::wstring_view kLogFilePrefix = L"Brixtel_";

// The options as the change check compares them: the file by its folder and name, any case;
// the stored path itself and the header state do not count.
bool same_logging(const CurrentLogging& a, const CurrentLogging& b) {
    LoggingOptions a_options = a.options;
    LoggingOptions b_options = b.options;
    a_options.save_locale.clear();
    b_options.save_locale.clear();
    return a_options == b_options && equal_ignoring_case(a.log_folder, b.log_folder) &&
           equal_ignoring_case(a.log_base_name, b.log_base_name);
}

// The options saved with the loaded list; one without a log file of its own logs to the default
// log file of its name.
CurrentLogging loaded_list_logging(TagListPartners& partners, const TagListRecord& list) {
    CurrentLogging logging = logging_of_list(list);
    if (list.logging.save_locale.empty()) {
        const LogFileParts parts = split_log_file(
            default_log_location(partners.registry, partners.folders, list.name, false));
        logging.log_folder = parts.folder;
        logging.log_base_name = parts.base_name;
    }
    return logging;
}

// The log file a list saved under `name` keeps: the current one when the user has chosen a file
// other than the loaded list's own, else the default log file of the new name.
std::wstring log_file_for_saved_list(TagListPartners& partners, const CurrentLogging& current,
                                     std::wstring_view name) {
    if (const TagListRecord* loaded = partners.state.loaded) {
        std::wstring_view base = current.log_base_name;
        if (starts_with_ignoring_case(base, kLogFilePrefix))
            base.remove_prefix(kLogFilePrefix.size());
        if (!equal_ignoring_case(base, loaded->name))
            return printf_text(L"%s\\%s.log", {current.log_folder, current.log_base_name});
    }
    return printf_text(L"%s\\Brixtel_%s.log",
                       {default_log_folder(partners.registry, partners.folders), name});
}

void show_list_title(Seat& seat, std::wstring_view name) {
    seat.set_window_title(printf_text(kTitleWithList, {name}));
}

// No list from here on: the state, LastLoaded, the default options and the title say so.
void forget_loaded_list(TagListPartners& partners) {
    TagListState& state = partners.state;
    state.loaded = nullptr;
    state.loaded_number = 0;
    state.current_name.clear();
    state.point_count = 0;
    if (partners.save_last_loaded)
        partners.save_last_loaded(L"");
    if (partners.load_logging)
        partners.load_logging(default_logging(partners.registry, partners.folders));
    state.changed = false;
    partners.seat.set_window_title(kTitle);
}

} // namespace

std::wstring trim_list_name(std::wstring_view typed) {
    constexpr std::wstring_view kTrimmed = L" \t\"";
    const std::size_t first = typed.find_first_not_of(kTrimmed);
    if (first == std::wstring_view::npos)
        return {};
    return std::wstring(typed.substr(first, typed.find_last_not_of(kTrimmed) - first + 1));
}

TagListFace tag_list_face(TagListMode mode) {
    switch (mode) {
    case TagListMode::Load:
        return {ids::LoadTagListTitle, ids::LoadButton, false, false, true};
    case TagListMode::Save:
        return {ids::SaveTagListTitle, ids::SaveButton, true, false, true};
    case TagListMode::Delete:
        break;
    }
    return {ids::DeleteTagListTitle, std::nullopt, false, true, false};
}

TagListFilling tag_list_filling(const TagListState& state, TagListMode mode) {
    TagListFilling filling;
    for (const TagListRecord& list : state.lists)
        filling.entries.push_back(list.name);
    if (const std::uint32_t number = list_number(state.lists, state.loaded))
        filling.selected = number - 1;
    if (mode == TagListMode::Load) {
        filling.entries.emplace_back(string_text(ids::BlankTaglistEntry));
        if (!filling.selected)
            filling.selected = 0;
    }
    return filling;
}

std::wstring current_list_text(const TagListState& state) {
    return state.loaded ? state.loaded->name : std::wstring(string_text(ids::NoListLoaded));
}

std::wstring review_text(const ListOfLists& lists, std::wstring_view name) {
    const auto list = std::ranges::find_if(lists, [name](const TagListRecord& record) {
        return equal_ignoring_case(record.name, name);
    });
    if (list == lists.end())
        return std::wstring(string_text(ids::PointsToMonitorUnknown));
    std::wstring text = printf_text(string_text(ids::PointsToMonitorIn), {list->name});
    if (list->entries.empty())
        text += string_text(ids::NoPointsToMonitor);
    for (const std::wstring& entry : list->entries)
        text += printf_text(L"%s\r\n", {entry});
    return text;
}

bool ask_to_save_changes(TagListPartners& partners) {
    TagListState& state = partners.state;
    Seat& seat = partners.seat;
    if (state.changed) {
        const bool points_differ =
            !state.loaded ||
            entry_sets_differ(entry_texts(state.points, partners.databases), state.loaded->entries);
        state.changed = false;
        if (points_differ) {
            const int answer =
                state.loaded
                    ? seat.message_box(ids::SaveChangedLoadedListQuestion,
                                       ids::TagListChangesDetected, mb::YesNo, {state.loaded->name})
                    : seat.message_box(ids::SaveCurrentTagListQuestion, ids::TagListChangesDetected,
                                       mb::YesNo);
            return answer == ButtonYes;
        }
    }
    const CurrentLogging saved = state.loaded
                                     ? loaded_list_logging(partners, *state.loaded)
                                     : default_logging(partners.registry, partners.folders);
    if (same_logging(partners.current_logging(), saved))
        return false;
    return seat.message_box(ids::SaveChangedLogSettingsQuestion, ids::TagListChangesDetected,
                            mb::YesNo) == ButtonYes;
}

// ---- TagListActions -----------------------------------------------------------------------

TagListActions::TagListActions(TagListMode mode, TagListPartners partners, TagListView& view)
    : mode_(mode), partners_(std::move(partners)), view_(view) {}

bool TagListActions::is_blank_entry(std::size_t index) const {
    return mode_ == TagListMode::Load && index + 1 == view_.entry_count();
}

void TagListActions::update_buttons() {
    view_.enable(TagListControl::Review, view_.selected_entry().has_value());
    if (mode_ == TagListMode::Delete)
        view_.enable(TagListControl::Delete, view_.entry_count() != 0);
}

void TagListActions::open() {
    const TagListState& state = partners_.state;
    const TagListFilling filling = tag_list_filling(state, mode_);
    view_.show_current_list(current_list_text(state));
    view_.set_entries(filling.entries);
    view_.select_entry(filling.selected);
    if (mode_ == TagListMode::Save) {
        view_.set_save_as_text(state.current_name);
        view_.select_and_focus_save_as();
    }
    if (mode_ == TagListMode::Delete && state.lists.empty()) {
        view_.enable(TagListControl::Delete, false);
        view_.enable(TagListControl::Ok, false);
    }
    update_buttons();
}

void TagListActions::selection_changed() {
    const auto selected = view_.selected_entry();
    if (mode_ == TagListMode::Save && selected)
        view_.set_save_as_text(view_.entry_text(*selected));
    update_buttons();
}

void TagListActions::review() {
    const auto selected = view_.selected_entry();
    if (!selected)
        return;
    if (is_blank_entry(*selected)) {
        partners_.seat.message_box(ids::BlankTaglistHint, ids::BlankTaglist, mb::Ok);
        return;
    }
    view_.show_review(review_text(partners_.state.lists, view_.entry_text(*selected)));
}

void TagListActions::delete_selected() {
    const auto selected = view_.selected_entry();
    if (!selected)
        return;
    const TagListRecord* loaded = partners_.state.loaded;
    if (loaded && equal_ignoring_case(view_.entry_text(*selected), loaded->name) &&
        partners_.seat.message_box(ids::DeleteLoadedListQuestion, ids::DeletionConfirmation,
                                   mb::YesNo) != ButtonYes)
        return;
    view_.remove_entry(*selected);
    const std::size_t left = view_.entry_count();
    view_.select_entry(left == 0 ? std::nullopt
                                 : std::optional<std::size_t>(std::min(*selected, left - 1)));
    update_buttons();
}

bool TagListActions::ok() {
    switch (mode_) {
    case TagListMode::Load:
        return load_selected();
    case TagListMode::Save:
        return save();
    case TagListMode::Delete:
        return delete_missing();
    }
    return true;
}

bool TagListActions::load_selected() {
    if (ask_to_save_changes(partners_) && partners_.open_save_dialog)
        partners_.open_save_dialog();
    const auto selected = view_.selected_entry();
    if (!selected)
        return true;
    if (is_blank_entry(*selected)) {
        load_blank();
        return true;
    }
    TagListState& state = partners_.state;
    TagListRecord* list = find_list(state.lists, view_.entry_text(*selected));
    if (!list || !check_list_before_loading(partners_.seat, *list))
        return true;
    state.current_name = list->name;
    state.points.clear();
    // The load fills a copy; the log writer takes it whole.
    CurrentLogging logging = partners_.current_logging();
    TagListContext context{
        partners_.registry, partners_.seat, partners_.prompts, partners_.databases,
        partners_.folders,  state,          logging,           partners_.save_last_loaded};
    if (load_current_list_by_name(context) != LoadOutcome::NotFound)
        partners_.load_logging(logging);
    result_ = true;
    return true;
}

void TagListActions::load_blank() {
    partners_.state.points.clear();
    forget_loaded_list(partners_);
    enable_monitoring_command(partners_.seat, false);
    result_ = true;
}

bool TagListActions::save() {
    const std::wstring name = trim_list_name(view_.save_as_text());
    Seat& seat = partners_.seat;
    if (name.empty() || is_reserved_list_name(name)) {
        seat.message_box(name.empty() ? ids::ValidNameRequired : ids::BlankTaglistNameReserved,
                         ids::InvalidName, mb::Ok);
        view_.select_and_focus_save_as();
        return false;
    }
    TagListState& state = partners_.state;
    TagListRecord* list = find_list(state.lists, name);
    if (list && list != state.loaded &&
        seat.message_box(ids::OverwriteSavedListQuestion, ids::ConfirmSaveName, mb::YesNo) !=
            ButtonYes) {
        view_.select_and_focus_save_as();
        return false;
    }
    const CurrentLogging current = partners_.current_logging();
    const std::wstring log_file = log_file_for_saved_list(partners_, current, name);
    if (!list) {
        list = &state.lists.emplace_back();
        list->name = name;
    }
    list->entries = entry_texts(state.points, partners_.databases);
    list->count_as_read = static_cast<std::uint32_t>(list->entries.size());
    list->logging = current.options;
    list->logging.save_locale = log_file;

    // A list saved under a new name logs to its own file, so that saving and closing at once
    // finds nothing changed.
    const LogFileParts file = split_log_file(log_file);
    if (partners_.use_log_file && (!equal_ignoring_case(file.folder, current.log_folder) ||
                                   !equal_ignoring_case(file.base_name, current.log_base_name)))
        partners_.use_log_file(file);

    const std::uint32_t number = list_number(state.lists, list);
    save_list(partners_.registry, seat, list_subkey_name(number), *list);
    state.loaded = list;
    state.loaded_number = number;
    state.current_name = list->name;
    if (partners_.save_last_loaded)
        partners_.save_last_loaded(state.current_name);
    show_list_title(seat, state.current_name);
    state.changed = false;
    result_ = true;
    return true;
}

bool TagListActions::delete_missing() {
    const auto left = view_.entries();
    if (!left) {
        partners_.seat.message_box(ids::DeletedListsReadFailed, ids::RegistryError, mb::Ok);
        return true;
    }
    // Each name left in the box keeps one list of that name, the first not kept yet.
    std::vector<std::wstring> kept = *left;
    TagListState& state = partners_.state;
    bool loaded_deleted = false;
    for (auto list = state.lists.begin(); list != state.lists.end();) {
        const auto name = std::ranges::find(kept, list->name);
        if (name != kept.end()) {
            kept.erase(name);
            ++list;
            continue;
        }
        if (&*list == state.loaded) {
            loaded_deleted = true;
            state.loaded = nullptr;
        }
        list = state.lists.erase(list);
    }
    if (loaded_deleted)
        forget_loaded_list(partners_);
    rewrite_all_lists(partners_.registry, partners_.seat, state);
    if (loaded_deleted) {
        const bool monitoring = partners_.monitoring_on && partners_.monitoring_on();
        for (PointNode& point : state.points) {
            point.database_number = kDetachedDatabase;
            if (monitoring && partners_.stop_monitoring_point)
                partners_.stop_monitoring_point(point.address);
        }
        if (!monitoring)
            enable_monitoring_command(partners_.seat, false);
    }
    result_ = loaded_deleted;
    return true;
}

} // namespace brixtel
