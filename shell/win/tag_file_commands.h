#pragma once
// The tag list files over `App`: the two exports of the current tags (40022, 40023), the import
// (40024), and the two export buttons of the Tag list dialog.
#include "shell/win/app.h"

#include <string_view>

namespace brixtel::win {

// 40022 "Save Current Tags to Excel DDE File".
void save_excel_dde_file(App& app);
// 40023 "Export Current Tags".
void export_current_tags(App& app);
// 40024 "Import Tag List".
void run_import_dialog(App& app);

// The Tag list dialog's Excel DDE Export (1083) and Export Taglist (1084) for the entry
// selected in its list (the blank entry is string 221's text); boxes belong to the dialog.
void excel_dde_export_from_tag_list_dialog(App& app, HWND dialog, std::wstring_view selected_entry);
void taglist_export_from_tag_list_dialog(App& app, HWND dialog, std::wstring_view selected_entry);

} // namespace brixtel::win
