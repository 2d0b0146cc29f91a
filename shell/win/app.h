#pragma once
// The program-wide state: created by start-up, reached by the main window procedure.
#include <windows.h>

#include "core/loop_configuration.h"
#include "core/loop_configuration_control.h"
#include "core/point_table.h"
#include "core/poll_cycle.h"
#include "core/poll_snapshot.h"
#include "core/request_routing.h"
#include "core/win/transport_poster.h"
#include "dde/win/dde_instance.h"
#include "logging/log_writer.h"
#include "logging/sync_start.h"
#include "logging/win/default_log_location.h"
#include "platform/win/system_registry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "shell/views.h"
#include "shell/win/cycle_hooks.h"
#include "shell/win/status_bar.h"
#include "shell/win/window_seat.h"
#include "tags/database_files.h"
#include "tags/database_names.h"
#include "tags/tag_list_load.h"

#include <array>
#include <string>
#include <vector>

namespace brixtel::win {

// The Main window's timers.
inline constexpr UINT_PTR kPollTimer = 1;
inline constexpr UINT_PTR kConnstatTimer = 2;
inline constexpr UINT_PTR kLinkCheckTimer = 3;
inline constexpr UINT_PTR kSyncClockTimer = 4;
inline constexpr UINT kConnstatPeriodMs = 10000;
inline constexpr UINT kLinkCheckPeriodMs = 1000;
inline constexpr UINT kSyncClockPeriodMs = 1000;

// The logged-on user's name (at most 63 characters), or empty when it cannot be had.
std::wstring logged_on_user_name();

// When the views were last brought up to their entries, and what is asked for until the next
// time.
struct ViewFlushState {
    DWORD last_flush = 0;
    bool posted = false;
    bool timer = false;
};

// Font metrics of the views and the smallest size the window may be dragged to.
struct WindowMetrics {
    int char_width = 0;
    int line_height = 0;
    POINT min_track_size{};
    int client_width = 0;
    int client_height = 0;
};

struct App {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    ATOM window_class = 0;
    DdemlLibrary dde; // before everything that holds DDE string handles
    UINT xltable_format = 0;
    // What SetTimer gave for timers 1 to 4; 0 while a timer is not running.
    std::array<UINT_PTR, 4> timers{};
    // Answers on their way to the main window from other threads; before everything that
    // posts them.
    PostedTexts posted_texts;
    Settings settings;
    WindowMetrics metrics;
    StatusBar status_bar;
    WindowSeat seat{*this};
    SystemRegistry registry;
    std::wstring installation_base_folder; // the folder above "Programs"; Type tool and LOG

    Win32LogFolderSystem log_folders; // asks once whether the program runs from a CD
    TagDatabases databases;
    TagDatabaseNames database_names{databases};
    TagListState tag_lists;
    std::wstring last_export_folder; // of the last file an export wrote; empty before the first
    SyncClock sync_clock;            // timer 4

    // Monitoring: the loops and their connections, the points, the poll cycle's records.
    // Declared after the seat and the registry, which the connection threads use.
    WindowAnswerPoster answer_poster{posted_texts};
    LoopConfiguration loops{seat, answer_poster, registry};
    ConfigurationLoopControl loop_control{loops};
    // A point that goes frees the DDE string handles it kept.
    PointTable points{[this](DdeHandle name) { dde.free_string(name); }};
    SnapshotList snapshots;
    MainReplyWindow reply_window{*this};
    RequestRouter router{loop_control, reply_window, seat, logged_on_user_name()};
    WindowClock clock;
    Views views{snapshots, settings};
    ViewFlushState view_flush;
    WindowCycleView cycle_view{*this};
    WindowCycleTimers cycle_timers{*this};
    // The log writer owns the logging options in use; a tag-list load hands it the list's.
    AppLogSources log_sources{*this};
    WindowLogBatching log_batching{*this};
    LogWriter log_writer{seat, registry, log_folders, clock, snapshots, log_sources, &log_batching};
    DdeServer dde_server{dde, points, [this](bool on) { cycle.set_dde_demand(on); },
                         [this](std::wstring_view tag) { return tag_address(tag); }};
    PollCycle cycle{points, snapshots,
                    router, loop_control,
                    seat,   CyclePartners{cycle_view, log_writer, dde_server, cycle_timers},
                    clock};

    // The address of the first record with this tag name, for a DDE link named by a tag.
    std::optional<BlockAddress> tag_address(std::wstring_view tag) const;
};

// While monitoring runs, a point added to the current tag list is polled from the next tick on,
// and a point taken out of it stops being polled (the first listed point with its address; a
// DDE client's point stays its own). Either way the log's columns change.
void monitor_added_point(App& app, const BlockAddress& address);
void stop_monitoring_removed_point(App& app, const BlockAddress& address);

// Starts (or restarts) one of the Main window's timers and keeps its identifier.
bool start_window_timer(App& app, UINT_PTR timer, UINT period_ms);
// Stops it when it runs.
void stop_window_timer(App& app, UINT_PTR timer);

} // namespace brixtel::win
