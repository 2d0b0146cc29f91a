#include "shell/win/tag_list_commands.h"

#include "settings/settings_store.h"
#include "shell/win/log_status_texts.h"
#include "shell/win/tag_file_commands.h"
#include "tags/win/tag_list_dialog.h"
#include "tags/win/tag_list_dialogs.h"

namespace brixtel::win {
namespace {

TagListPartners tag_list_partners(App& app, Seat& seat, TagListPrompts& prompts) {
    return TagListPartners{
        app.registry,
        seat,
        prompts,
        app.database_names,
        app.log_folders,
        app.tag_lists,
        [&app] { return app.log_writer.current_logging(); },
        [&app](const CurrentLogging& logging) { app.log_writer.load_logging(logging); },
        [&app](const LogFileParts& file) {
            const LogFileSetting current = app.log_writer.file_setting();
            app.log_writer.confirm_file_setting({file.folder, file.base_name, current.append_date});
            refresh_log_status_texts(app);
        },
        [&app, &seat](std::wstring_view name) { save_last_loaded(app.registry, seat, name); },
        [&app] { return app.cycle.monitoring_on(); },
        [&app](const BlockAddress& address) { stop_monitoring_removed_point(app, address); },
        [&app] { run_tag_list_dialog(app, TagListMode::Save); },
    };
}

} // namespace

bool run_tag_list_dialog(App& app, TagListMode mode) {
    const auto partners_for = [&app](Seat& dialog_seat, TagListPrompts& dialog_prompts) {
        return tag_list_partners(app, dialog_seat, dialog_prompts);
    };
    const TagListExportButtons exports{
        [&app](HWND dialog, std::wstring_view entry) {
            excel_dde_export_from_tag_list_dialog(app, dialog, entry);
        },
        [&app](HWND dialog, std::wstring_view entry) {
            taglist_export_from_tag_list_dialog(app, dialog, entry);
        },
    };
    return run_tag_list_dialog(app.main_window, app.instance, app.seat, mode, partners_for,
                               exports);
}

void offer_to_save_changed_tags(App& app) {
    DialogTagListPrompts prompts(app.instance, app.main_window);
    TagListPartners partners = tag_list_partners(app, app.seat, prompts);
    if (ask_to_save_changes(partners))
        run_tag_list_dialog(app, TagListMode::Save);
}

LoadOutcome load_list_by_current_name(App& app) {
    DialogTagListPrompts prompts(app.instance, app.main_window);
    // The load fills a copy; the writer takes it whole, under its lock.
    CurrentLogging logging = app.log_writer.current_logging();
    TagListContext context{
        app.registry,
        app.seat,
        prompts,
        app.database_names,
        app.log_folders,
        app.tag_lists,
        logging,
        [&app](std::wstring_view name) { save_last_loaded(app.registry, app.seat, name); }};
    const LoadOutcome outcome = load_current_list_by_name(context);
    if (outcome != LoadOutcome::NotFound)
        app.log_writer.load_logging(logging);
    return outcome;
}

} // namespace brixtel::win
