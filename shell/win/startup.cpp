#include "shell/win/startup.h"

#include "platform/win/system_profile.h"
#include "settings/win/settings_win.h"
#include "shell/installation_folder.h"
#include "shell/status_texts.h"
#include "shell/string_table.h"
#include "shell/win/app.h"
#include "shell/win/commands.h"
#include "shell/win/instance_check.h"
#include "shell/win/main_window.h"
#include "shell/win/reporting.h"
#include "shell/win/startup_targets.h"
#include "shell/win/tag_list_commands.h"
#include "shell/win/title_open.h"
#include "shell/win/view_messages.h"
#include "tags/win/tag_list_dialogs.h"

#include <commctrl.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace brixtel::win {
namespace {

// The texts that depend on the settings, once they are known.
void show_settings_texts(App& app) {
    app.status_bar.set_text(StatusMonitoring,
                            monitoring_state_text(false, app.settings.frequency_ms));
    app.status_bar.set_text(StatusLogSize, log_size_zero_text(app.log_writer.size_limit_mb()));
}

// Connects the configured loops: from the title named on the command line, else from the
// registry. Connections bind within the port range read with the settings, and send their
// first status requests from the connect threads once connected.
void connect_loops(App& app, const std::wstring& title_path, PrivateProfile& profile) {
    app.loops.set_port_range(app.settings.ports);
    app.loops.set_first_requests([&app](const LoopEndpoint& entry) {
        app.router.send_connstat_request(entry);
        app.router.send_feature_username_request(entry);
    });
    open_title_and_load_configuration(app.main_window, title_path, app.loops, profile, app.seat);
}

std::wstring find_installation_base_folder() {
    constexpr DWORD kFolderChars = 1024;
    wchar_t current[kFolderChars] = {};
    const DWORD length = GetCurrentDirectoryW(kFolderChars, current);
    const std::wstring_view current_folder(current, length < kFolderChars ? length : 0);
    return installation_base_folder(current_folder, GetCommandLineW(), [](std::wstring_view path) {
        return GetFileAttributesW(std::wstring(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

void start_timers(App& app) {
    start_window_timer(app, kConnstatTimer, kConnstatPeriodMs);
    start_window_timer(app, kLinkCheckTimer, kLinkCheckPeriodMs);
    start_window_timer(app, kSyncClockTimer, kSyncClockPeriodMs);
}

// Loads the list saved last; when the name fits none of several lists the user chooses one.
void load_last_tag_list(App& app) {
    app.tag_lists.current_name = app.settings.last_loaded;
    if (load_list_by_current_name(app) == LoadOutcome::NotFound) {
        // No list is loaded while the user chooses one (or none): logs go to the default file.
        app.log_writer.load_logging(default_logging(app.registry, app.log_folders));
        run_tag_list_dialog(app, TagListMode::Load);
    }
}

// Lists each process on the standard output (which a windowed process discards).
bool print_process(DWORD process_id, WORD, std::string_view name) {
    std::printf("%5lu   %.*s\n", static_cast<unsigned long>(process_id),
                static_cast<int>(name.size()), name.data());
    return true;
}

bool another_copy_running() {
    return list_processes(print_process).program_count > 1;
}

int message_loop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// DDE comes right after the window: without it the program does not run.
bool open_dde(App& app) {
    if (app.dde.initialize(app.dde_server)) {
        app.xltable_format = register_xltable_format();
        app.dde_server.set_xltable_format(app.xltable_format);
        return true;
    }
    formatted_caption_box(app.main_window, ids::ClientInitializationFailed, ids::PlainInsert,
                          MB_ICONEXCLAMATION | MB_OK, L"Brixtel");
    DestroyWindow(app.main_window);
    return false;
}

} // namespace

int run_program(HINSTANCE instance, std::wstring_view command_line, int show_command) {
    // Date and time texts follow the user's settings.
    std::setlocale(LC_TIME, "");
    if (another_copy_running())
        return 0;

    install_out_of_memory_handler();

    // The locks live in the structures they guard, all members of the program-wide state.
    App app;
    app.instance = instance;
    InitCommonControls();

    app.window_class = register_main_window_class(app);
    if (!app.window_class)
        error_text_box();
    if (!create_main_window(app)) {
        // Without its window the program has nothing to run with.
        error_text_box();
        return 0;
    }
    set_main_window(app.main_window);
    if (!open_dde(app))
        return 0;
    move_machine_settings(app.registry, app.seat);
    const std::wstring title_path = title_path_of_command_line(command_line);
    app.views.clear_column_positions();

    ShowWindow(app.main_window, show_command);
    UpdateWindow(app.main_window);

    // The settings come before the loops, so that connections bind within the stored range.
    SystemProfile profile{std::wstring(kProfileFile)};
    AppStartupTargets targets(app, profile);
    LoggingOptions logging_options = app.log_writer.current_logging().options;
    read_settings_at_startup(app.registry, app.seat, targets, app.settings, logging_options);
    app.log_writer.set_logging_options(logging_options);
    connect_loops(app, title_path, profile);
    SendMessageW(app.main_window, WM_USER + 1, 0, 0);
    app.installation_base_folder = find_installation_base_folder();
    start_timers(app);
    check_view_items(app.main_window, app.settings.debug_view);
    load_last_tag_list(app);
    reset_views(app);
    show_settings_texts(app);
    app.cycle.run_poll_timer();
    app.log_writer.refresh_log_status();

    const int exit_code = message_loop();
    UnregisterClassW(kMainWindowClass, instance);
    app.dde.uninitialize();
    return exit_code;
}

} // namespace brixtel::win
