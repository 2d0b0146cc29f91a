#include "shell/win/tag_file_commands.h"
#include "shell/win/tag_list_commands.h"

#include "platform/text_file.h"
#include "settings/settings_store.h"
#include "shell/win/dialog_seat.h"
#include "shell/win/reporting.h"
#include "shell/win/view_messages.h"
#include "tags/tag_list_controls.h"
#include "tags/tag_list_files.h"
#include "tags/win/tag_file_dialogs.h"
#include "tags/win/tag_list_dialogs.h"

namespace brixtel::win {
namespace {

// Asks for the file, starting in the folder of the last export (or the default log folder
// before the first), and writes the text; the open failure's message names the chosen path.
void write_export(App& app, HWND owner, ExportKind kind, std::wstring_view initial_name,
                  const std::wstring& text, StringId open_failure) {
    const std::wstring folder = app.last_export_folder.empty()
                                    ? default_log_folder(app.registry, app.log_folders)
                                    : app.last_export_folder;
    const auto path = choose_export_file(owner, kind, folder, initial_name);
    if (!path)
        return;
    if (!write_text_file(*path, text)) {
        formatted_message_box(owner, open_failure, ids::FileError, MB_OK | MB_ICONINFORMATION,
                              {*path});
        return;
    }
    app.last_export_folder = split_log_file(*path).folder;
}

std::optional<DialogExport> export_of_entry(App& app, HWND dialog, std::wstring_view selected,
                                            ExportKind kind) {
    DialogSeat seat(dialog, app.seat);
    return dialog_export(seat, app.tag_lists, app.database_names, selected, kind,
                         [&] { return choose_tags_to_export(dialog, app.instance); });
}

// The imported list becomes the current one, as a load from the Tag list dialog does.
void load_imported_list(App& app) {
    load_list_by_current_name(app);
    InvalidateRect(app.main_window, nullptr, TRUE);
    reset_views(app);
    UpdateWindow(app.main_window);
}

} // namespace

void save_excel_dde_file(App& app) {
    write_export(app, app.main_window, ExportKind::ExcelDdeFile, L"ExcelDDE.txt",
                 excel_dde_file_text(app.tag_lists.points), ids::CannotOpenDdeTagExport);
}

void export_current_tags(App& app) {
    write_export(app, app.main_window, ExportKind::TagListFile, L"BrixtelTag.lst",
                 tag_list_file_text(app.tag_lists.points, app.database_names),
                 ids::CannotOpenTagListExport);
}

void run_import_dialog(App& app) {
    const PlatformImportFiles files;
    const auto partners_for = [&app, &files](Seat& dialog_seat) {
        return ImportPartners{dialog_seat,
                              app.registry,
                              app.log_folders,
                              app.tag_lists,
                              files,
                              [&app] { return app.cycle.monitoring_on(); },
                              [&app] { load_imported_list(app); }};
    };
    run_import_taglist_dialog(app.main_window, app.instance, app.cycle.monitoring_on(), app.seat,
                              partners_for);
}

void excel_dde_export_from_tag_list_dialog(App& app, HWND dialog,
                                           std::wstring_view selected_entry) {
    const auto chosen = export_of_entry(app, dialog, selected_entry, ExportKind::ExcelDdeFile);
    if (!chosen)
        return;
    write_export(app, dialog, ExportKind::ExcelDdeFile,
                 L"ExcelDDE - " + chosen->list_name + L".txt", chosen->text,
                 ids::CannotOpenDdeTagFile);
}

void taglist_export_from_tag_list_dialog(App& app, HWND dialog, std::wstring_view selected_entry) {
    // Pressed again while its file dialog is open, the button would start a second export.
    HWND button = GetDlgItem(dialog, IDC_TAG_LIST_EXPORT);
    const bool was_enabled = button && IsWindowEnabled(button);
    if (button)
        EnableWindow(button, FALSE);
    if (const auto chosen = export_of_entry(app, dialog, selected_entry, ExportKind::TagListFile)) {
        write_export(app, dialog, ExportKind::TagListFile,
                     L"Export - " + chosen->list_name + L".lst", chosen->text,
                     ids::CannotOpenExportTagListFile);
    }
    if (button && was_enabled)
        EnableWindow(button, TRUE);
}

} // namespace brixtel::win
