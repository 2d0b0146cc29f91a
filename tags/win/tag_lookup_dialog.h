#pragma once
// "Tag Translation" (resource TAGLOOKUP_ENTRIES): the user builds the current tag list by
// looking points up by tag name or by block address, and deletes entries from it.
#include "shell/seat.h"
#include "tags/tag_translation.h"

#include <windows.h>

#include <functional>

namespace brixtel::win {

// The lookup's partners, given the seat whose boxes belong to the dialog (and stay in front
// of it): everything the partners report goes over the dialog, not behind it.
using TagTranslationPartnersFor = std::function<TagTranslationPartners(Seat& dialog_seat)>;

// Modal over `owner`; true when monitored points were removed while it was open (the Export
// View's columns are then redrawn). `main_seat` keeps the status bar, the title and the menu.
bool run_tag_lookup_dialog(HWND owner, HINSTANCE instance, Seat& main_seat,
                           const TagTranslationPartnersFor& partners_for);

} // namespace brixtel::win
