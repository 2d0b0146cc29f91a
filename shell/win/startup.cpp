#include "shell/win/startup.h"

#include "platform/win/system_profile.h"
#include "settings/loop_entries.h"
#include "settings/win/settings_win.h"
#include "shell/status_texts.h"
#include "shell/string_table.h"
#include "shell/win/app.h"
#include "shell/win/instance_check.h"
#include "shell/win/main_window.h"
#include "shell/win/reporting.h"
#include "shell/win/startup_targets.h"
#include "tags/win/tag_list_dialogs.h"

#include <commctrl.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace brixtel::win {
namespace {

constexpr DWORD kUserNameChars = 64;

std::wstring user_suffix() {
    wchar_t name[kUserNameChars] = {};
    DWORD size = kUserNameChars;
    if (!GetUserNameW(name, &size))
        return {};
    return std::wstring(L" from ") + name;
}

// The texts that depend on the settings, once they are known.
void show_settings_texts(App& app) {
    app.status_bar.set_text(StatusMonitoring,
                            monitoring_state_text(false, app.settings.frequency_ms));
    app.status_bar.set_text(StatusLogSize, log_size_zero_text(app.settings.log_size_mb));
}

// The loop configuration as stored; without one the user is told at once.
void read_loop_configuration(App& app, PrivateProfile& profile) {
    app.loop_entries = read_stored_loop_entries(app.registry, profile);
    if (app.loop_entries.empty())
        app.status_bar.set_text(StatusConnection, string_text(ids::NoMonitoringConfiguration));
}

// Loads the list saved last; when the name fits none of several lists the user chooses one.
void load_last_tag_list(App& app) {
    DialogTagListPrompts prompts(app.instance, app.main_window);
    app.tag_lists.current_name = app.settings.last_loaded;
    TagListContext context{
        app.registry,
        app.seat,
        prompts,
        app.database_names,
        app.log_folders,
        app.tag_lists,
        app.current_logging,
        [&app](std::wstring_view name) { save_last_loaded(app.registry, app.seat, name); }};
    if (load_current_list_by_name(context) == LoadOutcome::NotFound)
        open_tag_list_dialog_for_load(app);
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

} // namespace

int run_program(HINSTANCE instance, int show_command) {
    // Date and time texts follow the user's settings.
    std::setlocale(LC_TIME, "");
    if (another_copy_running())
        return 0;

    install_out_of_memory_handler();

    App app;
    app.instance = instance;
    app.user_suffix = user_suffix();
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
    move_machine_settings(app.registry, app.seat);

    ShowWindow(app.main_window, show_command);
    UpdateWindow(app.main_window);

    SystemProfile profile{std::wstring(kProfileFile)};
    read_loop_configuration(app, profile);
    AppStartupTargets targets(app, profile);
    read_settings_at_startup(app.registry, app.seat, targets, app.settings,
                             app.current_logging.options);
    check_view_items(app.main_window, app.settings.debug_view);
    load_last_tag_list(app);
    show_settings_texts(app);

    const int exit_code = message_loop();
    UnregisterClassW(kMainWindowClass, instance);
    return exit_code;
}

} // namespace brixtel::win
