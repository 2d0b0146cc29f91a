#pragma once
// "Tag Lists Available" (resource TAG_LIST) in its three modes, load, save and delete, and
// "Tag List Review" (resource TAG_REVIEW).
#include "shell/seat.h"
#include "tags/tag_list_actions.h"
#include "tags/tag_list_load.h"

#include <windows.h>

#include <functional>
#include <string_view>

namespace brixtel::win {

// An export button of the load and save modes: handed the dialog (to own what it opens) and the
// list box text of the selected entry, the blank entry's included; empty when none is selected.
using TagListExportButton = std::function<void(HWND dialog, std::wstring_view selected_entry)>;
struct TagListExportButtons {
    TagListExportButton excel_dde_export; // "Excel DDE Export"
    TagListExportButton export_taglist;   // "Export Taglist"
};

// The actions' partners, given the seat whose boxes belong to the dialog and the timed load
// questions over it. The dialog fills in `open_save_dialog` itself.
using TagListPartnersFor =
    std::function<TagListPartners(Seat& dialog_seat, TagListPrompts& dialog_prompts)>;

// Modal over `owner`; true when a list (or the blank entry) was loaded, the list was saved, or
// the loaded list was deleted. `main_seat` keeps the status bar, the title and the menu.
bool run_tag_list_dialog(HWND owner, HINSTANCE instance, Seat& main_seat, TagListMode mode,
                         const TagListPartnersFor& partners_for,
                         const TagListExportButtons& exports);

// "Tag List Review" showing `text`, modal over `owner`, until its OK.
void show_tag_list_review(HWND owner, HINSTANCE instance, std::wstring_view text);

} // namespace brixtel::win
