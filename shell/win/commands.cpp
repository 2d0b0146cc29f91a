#include "shell/win/commands.h"

#include "logging/log_writer.h"
#include "logging/win/log_folder_explorer.h"
#include "logging/win/log_size_dialog.h"
#include "settings/settings_store.h"
#include "shell/seat.h"
#include "shell/win/about_dialog.h"
#include "shell/win/interval_commands.h"
#include "shell/win/log_status_texts.h"
#include "shell/win/logging_commands.h"
#include "shell/win/loop_setup_commands.h"
#include "shell/win/resource_ids.h"
#include "shell/win/significant_digits_dialog.h"
#include "shell/win/tag_database_commands.h"
#include "shell/win/tag_file_commands.h"
#include "shell/win/tag_list_commands.h"
#include "shell/win/tag_lookup_commands.h"
#include "shell/win/view_messages.h"

#include <iterator>

namespace brixtel::win {

namespace {

void exit_program(App& app, HWND window) {
    stop_logging_for_exit(app.log_writer);
    close_main_window(app, window);
}

void enter_database_file_names(App& app, HWND window) {
    if (run_database_file_chooser(app))
        InvalidateRect(window, nullptr, TRUE);
}

void look_up_tag_names(App& app, HWND window) {
    const bool points_removed = run_tag_name_lookup_dialog(app);
    if (!app.settings.debug_view && app.cycle.state().points_created && points_removed) {
        reset_views(app);
        UpdateWindow(window);
    }
    const bool has_points = app.tag_lists.point_count != 0;
    if (!app.cycle.monitoring_on()) {
        enable_monitoring_command(app.seat, has_points);
    } else if (app.settings.debug_view && !has_points) {
        // Nothing left to watch.
        app.cycle.monitoring_command(app.tag_lists.points);
        enable_monitoring_command(app.seat, false);
    }
    InvalidateRect(window, nullptr, FALSE);
}

void set_update_interval(App& app, HWND) {
    run_update_interval_dialog(app);
}

void switch_monitoring(App& app, HWND window) {
    app.cycle.monitoring_command(app.tag_lists.points);
    InvalidateRect(window, nullptr, TRUE);
}

void log_data(App& app, HWND) {
    log_data_command(app);
}

void switch_view(App& app, HWND window, bool to_debug_view) {
    HMENU menu = GetMenu(window);
    const UINT chosen = to_debug_view ? CMD_DEBUG_VIEW : CMD_EXPORT_VIEW;
    if (CheckMenuItem(menu, chosen, MF_BYCOMMAND | MF_CHECKED) == MF_CHECKED) {
        app.log_writer.refresh_log_status();
        return;
    }
    if (app.snapshots.size() != 0 &&
        app.seat.message_box(ids::SwitchViewsQuestion, ids::SwitchingViews, mb::YesNo) ==
            ButtonNo) {
        CheckMenuItem(menu, chosen, MF_BYCOMMAND | MF_UNCHECKED);
        return;
    }
    check_view_items(window, to_debug_view);
    app.settings.debug_view = to_debug_view;
    if (!to_debug_view)
        EnableScrollBar(window, SB_HORZ, ESB_ENABLE_BOTH);
    reset_views(app);
    UpdateWindow(window);
    // A CSV log of the new view starts with its column header.
    if (!to_debug_view)
        app.log_writer.request_header();
    save_debug_view(app.registry, app.seat, to_debug_view);
    app.log_writer.refresh_log_status();
}

void show_debug_view(App& app, HWND window) {
    switch_view(app, window, true);
}

void show_export_view(App& app, HWND window) {
    switch_view(app, window, false);
}

void about(App& app, HWND) {
    show_about_dialog(app);
}

// Only a command with this identifier reaches it; no menu item carries it.
void log_file_size(App& app, HWND window) {
    LoggingOptions options = app.log_writer.current_logging().options;
    if (run_log_size_dialog(app.instance, window,
                            {options, app.settings, app.registry, app.seat})) {
        app.log_writer.set_size_limit_mb(options.log_size);
        app.log_writer.clear_size_exceeded();
    }
    refresh_log_status_texts(app);
}

void significant_digits(App& app, HWND window) {
    run_significant_digits_dialog(app);
    InvalidateRect(window, nullptr, TRUE);
}

void load_tag_list(App& app, HWND window) {
    if (!run_tag_list_dialog(app, TagListMode::Load))
        return;
    InvalidateRect(window, nullptr, TRUE);
    reset_views(app);
    UpdateWindow(window);
}

void save_tag_list(App& app, HWND window) {
    run_tag_list_dialog(app, TagListMode::Save);
    InvalidateRect(window, nullptr, FALSE);
}

void delete_tag_list(App& app, HWND window) {
    const bool deleted = run_tag_list_dialog(app, TagListMode::Delete);
    InvalidateRect(window, nullptr, FALSE);
    if (!deleted)
        return;
    reset_views(app);
    UpdateWindow(window);
    // A list must be chosen in place of the one that went.
    if (!app.tag_lists.lists.empty())
        SendMessageW(window, WM_COMMAND, CMD_LOAD_TAG_LIST, 0);
}

void save_excel_file(App& app, HWND) {
    save_excel_dde_file(app);
}

void export_tags(App& app, HWND) {
    export_current_tags(app);
}

void import_tag_list(App& app, HWND) {
    run_import_dialog(app);
}

void synchronized_start(App& app, HWND) {
    run_synchronized_start_dialog(app);
}

void configure_logging(App& app, HWND) {
    run_logging_options_dialog(app);
}

void reset_suppressed(App& app, HWND) {
    reset_suppressed_dialogs(app.settings, app.registry, app.seat);
}

void launch_explorer(App& app, HWND window) {
    launch_log_folder_explorer(window, app.log_writer.file_setting().folder, app.seat);
}

void set_ip_address(App& app, HWND) {
    run_live_loop_setup_dialog(app);
}

struct CommandEntry {
    UINT id;
    void (*run)(App&, HWND);
};

constexpr CommandEntry kCommands[] = {
    {CMD_SET_IP_ADDRESS, set_ip_address},
    {CMD_EXIT, exit_program},
    {CMD_DATABASE_FILE_NAMES, enter_database_file_names},
    {CMD_TAG_NAME_LOOKUP, look_up_tag_names},
    {CMD_SET_UPDATE_INTERVAL, set_update_interval},
    {CMD_MONITORING, switch_monitoring},
    {CMD_LOG_DATA, log_data},
    {CMD_DEBUG_VIEW, show_debug_view},
    {CMD_EXPORT_VIEW, show_export_view},
    {CMD_ABOUT, about},
    {CMD_LOG_FILE_SIZE, log_file_size},
    {CMD_LOAD_TAG_LIST, load_tag_list},
    {CMD_SAVE_TAG_LIST, save_tag_list},
    {CMD_DELETE_TAG_LIST, delete_tag_list},
    {CMD_SIGNIFICANT_DIGITS, significant_digits},
    {CMD_SAVE_EXCEL_DDE_FILE, save_excel_file},
    {CMD_EXPORT_CURRENT_TAGS, export_tags},
    {CMD_IMPORT_TAG_LIST, import_tag_list},
    {CMD_SYNCHRONIZED_START, synchronized_start},
    {CMD_CONFIGURE_LOGGING, configure_logging},
    {CMD_RESET_SUPPRESSED_DIALOGS, reset_suppressed},
    {CMD_LAUNCH_EXPLORER, launch_explorer},
};

} // namespace

bool run_command(App& app, HWND window, UINT command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.id == command) {
            entry.run(app, window);
            return true;
        }
    }
    return false;
}

void close_main_window(App& app, HWND window) {
    if (app.cycle.monitoring_on())
        app.cycle.stop_for_exit();
    offer_to_save_changed_tags(app);
    app.snapshots.free_all();
    DestroyWindow(window);
}

void check_view_items(HWND window, bool debug_view) {
    HMENU menu = GetMenu(window);
    CheckMenuItem(menu, CMD_DEBUG_VIEW, MF_BYCOMMAND | (debug_view ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, CMD_EXPORT_VIEW, MF_BYCOMMAND | (debug_view ? MF_UNCHECKED : MF_CHECKED));
}

} // namespace brixtel::win
