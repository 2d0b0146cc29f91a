#pragma once
// What the Tag Translation dialog does with what the user typed: the lookups by tag name and by
// block address with their checks in order, the choice among duplicates, adding the results to
// the current tag list and deleting entries. The dialog (tags/win/) shows the fields and rows
// and answers the questions through `TagTranslationView`; unit tests use a recording fake.
#include "core/block_address.h"
#include "shell/seat.h"
#include "tags/current_tag_list.h"
#include "tags/tag_lookup.h"
#include "tags/tag_record.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// Results sorted by loop, PCU, module and block, identical ones (address, Database number and
// tag in any case) kept once, then split: results whose address occurs once, and the rest,
// which share their address with another result (kept in sorted order, so each group is
// contiguous).
struct DuplicateSplit {
    std::vector<TagRecord> singles;
    std::vector<TagRecord> grouped;
};
DuplicateSplit split_duplicates(std::vector<TagRecord> results);

// What "Duplicate Tag Selections" offers when a lookup finds several points: all of them, in
// address order, those alone at their address already selected.
struct DuplicateOffer {
    std::vector<TagRecord> results;
    std::vector<std::size_t> preselected;
};
DuplicateOffer duplicate_offer(const DuplicateSplit& split);

// The OK button of "Duplicate Tag Selections" for the selected rows (indexes into `grouped`).
enum class DuplicateSelectionVerdict {
    Accept,
    DuplicatesRemain, // two selected rows share an address: message 284, the dialog stays
    NothingSelected,  // ask 286; Yes accepts the empty choice, No keeps the dialog
};
DuplicateSelectionVerdict check_duplicate_selection(std::span<const TagRecord> grouped,
                                                    std::span<const std::size_t> selected);

// One row of the dialog's list: its own copy of the three column texts and the four numbers.
struct TagRow {
    std::wstring block_text;    // "Module %d,%d,%d Block %d"
    std::wstring tag;           // the tag name, or the user's description, or "NO_TAG"
    std::wstring database_text; // file path, "NO_DATABASE" or "USER_DESCRIPTION"
    BlockAddress address;

    bool operator==(const TagRow&) const = default;
};

// The row of a point of the current tag list or of a lookup result. `database_path` is the
// Database table slot text of a number other than 1.
TagRow tag_row(const BlockAddress& address, std::wstring_view tag, std::int32_t database_number,
               std::wstring_view database_path);

// The rows of the current tag list, in order, detached points left out.
std::vector<TagRow> tag_rows(const CurrentTagList& points, const DatabaseNames& databases);

enum class TagRowColumn { BlockNumber, Tag, FromDatabase };
// A header click: by loop, PCU, module and block; by tag without regard to case; by database
// text. Stable, ascending or descending.
void sort_tag_rows(std::vector<TagRow>& rows, TagRowColumn column, bool ascending);

enum class LookupField { TagName, Loop, Pcu, Module, Block, Description };

// The dialog as the lookup sees it.
class TagTranslationView {
  public:
    virtual ~TagTranslationView() = default;
    virtual std::wstring field_text(LookupField field) const = 0;
    virtual void set_field_text(LookupField field, std::wstring_view text) = 0;
    // Selects the field's whole text and gives it the focus.
    virtual void select_and_focus(LookupField field) = 0;
    virtual std::size_t row_count() const = 0;
    virtual void append_row(const TagRow& row) = 0;
    // "Illegal Block Number Check": true for OK. `do_not_show_again` is the state of its check
    // box when it closed.
    virtual bool confirm_block_above_limit(bool& do_not_show_again) = 0;
    // "Duplicate Tag Selections" over several results, in address order: the selected indexes,
    // or nothing for Cancel. The rows in `preselected` start selected. The view runs
    // check_duplicate_selection on OK itself.
    virtual std::optional<std::vector<std::size_t>>
    choose_duplicates(std::span<const TagRecord> results,
                      std::span<const std::size_t> preselected) = 0;
};

// What the lookup reads and changes outside the dialog.
struct TagTranslationPartners {
    Seat& seat; // boxes owned by the dialog
    TagListState& tag_lists;
    const DatabaseNames& databases;
    std::span<const TagRecord> index; // the Tag database index
    bool& show_blk_check;
    std::function<void(bool show)> save_show_blk_check;
    std::function<bool()> monitoring_on;
    std::function<bool()> monitoring_in_export_view;
    // Monitoring runs: the new point is polled from now on / the point with this address goes.
    std::function<void(const BlockAddress&)> start_monitoring_point;
    std::function<void(const BlockAddress&)> stop_monitoring_point;
    std::function<void()> repaint_main_window;
};

class TagTranslation {
  public:
    TagTranslation(TagTranslationPartners partners, TagTranslationView& view);

    // The Lookup button in each mode.
    void look_up_by_tag_name();
    void look_up_by_block();
    // Delete Entry with the selected rows; false when refused (monitoring in Export View).
    // On true the view removes the selected rows from its list.
    bool delete_entries(std::span<const TagRow> selected);

    // Points were added or removed since the dialog opened.
    bool points_changed() const { return points_changed_; }
    // Monitored points were removed: the Export View's columns must be redrawn once the
    // dialog closes.
    bool removed_while_monitoring() const { return removed_while_monitoring_; }

  private:
    // The single-address results followed by the user's choice among the shared ones.
    std::vector<TagRecord> choose_among_duplicates(std::vector<TagRecord> results);
    // The result's address is already in the current tag list.
    bool already_listed(const TagRecord& result) const;
    // Adds each result not listed yet; returns how many were added.
    std::size_t add_results(std::span<const TagRecord> results);

    TagTranslationPartners partners_;
    TagTranslationView& view_;
    bool points_changed_ = false;
    bool removed_while_monitoring_ = false;
};

} // namespace brixtel
