#pragma once
// The windows of the tag list files: the save dialogs of the four exports, "Different Tags
// Detected", "Import Taglist" and its "Points Exceeded".
#include "shell/seat.h"
#include "tags/tag_list_files.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel::win {

// The system's save dialog for an export file of the kind, starting in `folder` with
// `initial_name`; it asks before overwriting and hides the read-only box. The chosen path, or
// nothing when the user cancelled.
std::optional<std::wstring> choose_export_file(HWND owner, ExportKind kind,
                                               std::wstring_view folder,
                                               std::wstring_view initial_name);

// "Different Tags Detected": the tags to export, or Cancel. OK without a choice shows 288.
ExportChoice choose_tags_to_export(HWND owner, HINSTANCE instance);

// The import's partners, given the seat whose boxes belong to the dialog.
using ImportPartnersFor = std::function<ImportPartners(Seat& dialog_seat)>;

// "Import Taglist", modal over `owner`: OK runs the import; the dialog stays for a field to
// correct. "Load list after import" is disabled when `monitoring_on`. True when a list was
// imported.
bool run_import_taglist_dialog(HWND owner, HINSTANCE instance, bool monitoring_on, Seat& main_seat,
                               const ImportPartnersFor& partners_for);

} // namespace brixtel::win
