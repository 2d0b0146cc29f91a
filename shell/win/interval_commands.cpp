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
    LoggingOptions& options = app.current_logging.options;
    const auto chosen =
        ask_synchronized_start(app.instance, app.main_window, sync_choice_of(options));
    if (!chosen)
        return;
    // Kept with the current list's options; saving the list stores them.
    WindowSyncPartner partner(app);
    take_sync_choice(*chosen, options, app.sync_clock, partner);
}

void synchronized_clock_tick(App& app) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    WindowSyncPartner partner(app);
    app.sync_clock.tick({now.wHour, now.wMinute}, app.current_logging.options, partner,
                        log_control(app));
}

} // namespace brixtel::win

namespace brixtel::win {
namespace {

// Stands in for the log writer until it joins the program: logging is never on, so a
// synchronized start only starts monitoring.
class NoLogWriter : public LogControl {
  public:
    LogFileSetting file_setting() const override { return {}; }
    void set_file_setting(const LogFileSetting&) override {}
    void confirm_file_setting(const LogFileSetting&) override {}
    void use_default_location(bool) override {}
    std::wstring default_log_location() override { return {}; }
    std::wstring build_log_path() override { return {}; }
    bool has_current_log_path() const override { return false; }
    bool empty_log_file() override { return false; }
    LogColumns columns() const override { return {}; }
    void set_columns(const LogColumns&) override {}
    std::uint32_t size_limit_mb() const override { return 0; }
    void set_size_limit_mb(std::uint32_t) override {}
    void clear_size_exceeded() override {}
    bool append_mode() const override { return true; }
    void set_append_mode(bool) override {}
    void request_header() override {}
    bool logging_on() const override { return false; }
    bool user_started_logging() const override { return false; }
    void start_logging(bool) override {}
    void stop_logging() override {}
    void show_logging_off() override {}
    bool check_size(bool) override { return true; }
    void refresh_log_status() override {}
    std::size_t stored_item_count() const override { return 0; }
    bool write_past_data(LogOpenMode, std::optional<std::size_t>) override { return false; }
};

} // namespace

LogControl& log_control(App&) {
    static NoLogWriter writer;
    return writer;
}

} // namespace brixtel::win
