#include "shell/win/interval_commands.h"

#include "logging/update_interval.h"
#include "logging/win/sync_start_dialog.h"
#include "logging/win/update_interval_dialog.h"
#include "settings/settings_store.h"
#include "shell/win/resource_ids.h"

namespace brixtel::win {
namespace {

// The Main window as the synchronized start sees it.
class WindowSyncPartner : public SyncPartner {
  public:
    explicit WindowSyncPartner(App& app) : app_(app) {}

    bool monitoring_on() const override { return app_.cycle.monitoring_on(); }
    bool point_list_empty() const override { return app_.tag_lists.point_count == 0; }
    void send_monitoring_command() override {
        SendMessageW(app_.main_window, WM_COMMAND, CMD_MONITORING, 0);
    }
    void enable_monitoring_command(bool enabled) override {
        brixtel::enable_monitoring_command(app_.seat, enabled);
    }

  private:
    App& app_;
};

} // namespace

void run_update_interval_dialog(App& app) {
    const auto chosen =
        ask_update_interval(app.instance, app.main_window, app.settings.frequency_ms);
    if (!chosen)
        return;
    app.settings.frequency_ms = *chosen;
    save_number_setting(app.registry, app.seat, values::Frequency, *chosen);
    // The link check starts it again with the new period within a second.
    app.cycle.stop_poll_timer();
    app.seat.set_status_text(StatusMonitoring,
                             interval_status_text(app.status_bar.text(StatusMonitoring), *chosen));
}

void run_synchronized_start_dialog(App& app) {
    LoggingOptions options = app.log_writer.current_logging().options;
    const auto chosen =
        ask_synchronized_start(app.instance, app.main_window, sync_choice_of(options));
    if (!chosen)
        return;
    // Kept with the current list's options; saving the list stores them.
    WindowSyncPartner partner(app);
    take_sync_choice(*chosen, options, app.sync_clock, partner);
    app.log_writer.set_logging_options(options);
}

void synchronized_clock_tick(App& app) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    WindowSyncPartner partner(app);
    app.sync_clock.tick({now.wHour, now.wMinute}, app.log_writer.current_logging().options, partner,
                        app.log_writer);
}

} // namespace brixtel::win
