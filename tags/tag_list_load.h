#pragma once
// Loading a saved list into the current tag list: at start-up by the name saved last, and from
// the Tag list dialog.
#include "logging/current_logging.h"
#include "logging/default_log_location.h"
#include "platform/registry.h"
#include "settings/logging_options.h"
#include "shell/seat.h"
#include "tags/current_tag_list.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// The two timed questions of a load; the Win32 dialogs count down and close by themselves.
class TagListPrompts {
  public:
    virtual ~TagListPrompts() = default;
    // Whether the bad points of the list may be removed for good; a time-out answers no.
    virtual bool ask_delete_bad_points(std::wstring_view list_name) = 0;
    // Tells the user that no point of the list could be loaded.
    virtual void notify_no_points_loaded(std::wstring_view list_name) = 0;
};

// Everything a load reads and changes.
struct TagListContext {
    Registry& registry;
    Seat& seat;
    TagListPrompts& prompts;
    const DatabaseNames& databases;
    LogFolderSystem& folders;
    TagListState& state;
    CurrentLogging& logging;
    // Stores the current list name as LastLoaded.
    std::function<void(std::wstring_view name)> save_last_loaded;
};

enum class LoadOutcome {
    Loaded,      // a saved list is loaded
    NoListSaved, // there is nothing to load: the program starts without a list
    NotFound,    // the name matches none of several lists: the user must choose one
};

// Loads the list named by the current list name (or the only saved list), converting its
// entries into the current tag list, and applies its logging options, the Monitoring command
// state and the window title. With NotFound nothing is changed.
LoadOutcome load_current_list_by_name(TagListContext& context);

// Whether every entry of the list names a point; asks once whether to go on without the bad
// ones. False when the user chose not to.
bool check_list_before_loading(Seat& seat, const TagListRecord& list);

// A first start's point texts (stored form, in file order): they become the current points,
// their number the point count, and when a first list exists its entries, saved in full.
void seed_first_tag_list(Registry& registry, Seat& seat, const DatabaseNames& databases,
                         TagListState& state, const std::vector<std::wstring>& stored_entries);

// The options used while no list is loaded: the option defaults and the default log file.
CurrentLogging default_logging(Registry& registry, LogFolderSystem& folders);

// The options of a list as the log writer keeps them.
CurrentLogging logging_of_list(const TagListRecord& list);

} // namespace brixtel
