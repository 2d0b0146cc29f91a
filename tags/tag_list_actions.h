#pragma once
// What the Tag list dialog does in its three modes (load, save, delete), the review of a saved
// list, and the question whether to save changes before a load and at exit. The dialog
// (tags/win/) shows the list box, the Save As field and the buttons and hands the presses on
// through `TagListView`; unit tests use a recording fake.
#include "core/block_address.h"
#include "logging/current_logging.h"
#include "logging/default_log_location.h"
#include "platform/registry.h"
#include "shell/seat.h"
#include "shell/string_table.h"
#include "tags/current_tag_list.h"
#include "tags/tag_list_load.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

enum class TagListMode { Load, Save, Delete };

// A name typed for a list, trimmed of blanks and double quotes at both ends.
std::wstring trim_list_name(std::wstring_view typed);

// ---- The dialog's face per mode -----------------------------------------------------------

struct TagListFace {
    StringId title;
    std::optional<StringId> ok_text; // nothing: OK keeps its own text
    bool save_as_shown;
    bool delete_shown;
    bool exports_shown;
};
TagListFace tag_list_face(TagListMode mode);

// The list box at opening: every saved list's name in list order, then in load mode the blank
// entry; the entry of the current list selected (in load mode the first when there is none).
struct TagListFilling {
    std::vector<std::wstring> entries;
    std::optional<std::size_t> selected;
};
TagListFilling tag_list_filling(const TagListState& state, TagListMode mode);

// The text of the current-list field: the loaded list's name, or "No list loaded".
std::wstring current_list_text(const TagListState& state);

// ---- Review -------------------------------------------------------------------------------

// The review of a saved list: a heading with its name and one line per entry. A name without
// a record has the "<Unknown>" heading and no lines.
std::wstring review_text(const ListOfLists& lists, std::wstring_view name);

// ---- What the actions read and change -----------------------------------------------------

struct TagListPartners {
    Registry& registry;
    Seat& seat; // boxes owned by the dialog
    TagListPrompts& prompts;
    const DatabaseNames& databases;
    LogFolderSystem& folders;
    TagListState& state;
    // The logging options in use, and their replacement as a whole (a load).
    std::function<CurrentLogging()> current_logging;
    std::function<void(const CurrentLogging&)> load_logging;
    // The list just saved logs to this file from now on (its folder and base name), as a
    // loaded list does.
    std::function<void(const LogFileParts& file)> use_log_file;
    // Stores the current list name as LastLoaded.
    std::function<void(std::wstring_view name)> save_last_loaded;
    std::function<bool()> monitoring_on;
    // Monitoring runs: the point with this address is no longer polled.
    std::function<void(const BlockAddress&)> stop_monitoring_point;
    // Opens the dialog in save mode (the answer Yes to "save changes?" before a load).
    std::function<void()> open_save_dialog;
};

// "Tag List Changes Detected": asks whether to save the current tag list when it differs from
// the loaded list, or else the logging options when they differ from the loaded list's (or the
// defaults without a list). True when the user answered Yes: the save dialog is to open.
bool ask_to_save_changes(TagListPartners& partners);

// ---- The dialog ---------------------------------------------------------------------------

enum class TagListControl { Review, Delete, Ok };

// The dialog as the actions see it.
class TagListView {
  public:
    virtual ~TagListView() = default;
    // The current-list field.
    virtual void show_current_list(std::wstring_view text) = 0;
    // Fills the list box, replacing what it held.
    virtual void set_entries(std::span<const std::wstring> entries) = 0;
    virtual std::size_t entry_count() const = 0;
    virtual std::wstring entry_text(std::size_t index) const = 0;
    // Every entry left in the list box, in order; nothing when they cannot be read.
    virtual std::optional<std::vector<std::wstring>> entries() const = 0;
    virtual std::optional<std::size_t> selected_entry() const = 0;
    virtual void select_entry(std::optional<std::size_t> index) = 0;
    virtual void remove_entry(std::size_t index) = 0;
    // The Save As field (at most 1024 characters are read).
    virtual std::wstring save_as_text() const = 0;
    virtual void set_save_as_text(std::wstring_view text) = 0;
    // Selects the field's whole text and gives it the focus.
    virtual void select_and_focus_save_as() = 0;
    virtual void enable(TagListControl control, bool on) = 0;
    // "Tag List Review" with this text, until its OK.
    virtual void show_review(std::wstring_view text) = 0;
};

class TagListActions {
  public:
    TagListActions(TagListMode mode, TagListPartners partners, TagListView& view);

    // Fills the current-list field, the list box, the Save As field and the buttons' states.
    void open();
    // The user selected an entry (or none) in the list box.
    void selection_changed();
    void review();
    // "Delete": takes the selected name out of the list box only; nothing is deleted before OK.
    void delete_selected();
    // OK; true when the dialog closes.
    bool ok();

    // Non-zero result of the dialog: a list (or the blank entry) was loaded, the list was
    // saved, or the loaded list was deleted.
    bool result() const { return result_; }

  private:
    bool is_blank_entry(std::size_t index) const;
    void update_buttons();
    bool load_selected();
    void load_blank();
    bool save();
    bool delete_missing();

    TagListMode mode_;
    TagListPartners partners_;
    TagListView& view_;
    bool result_ = false;
};

} // namespace brixtel
