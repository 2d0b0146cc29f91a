#pragma once
// The poll cycle's Win32 partners: the local clock in the thread's locale, the main window
// as the reply window, and the hooks into timers, menu, views, log and DDE.
#include "core/clock_texts.h"
#include "core/poll_cycle.h"
#include "core/request_routing.h"
#include "core/win/transport_poster.h"

#include <windows.h>

namespace brixtel::win {

struct App;

class WindowClock : public LocaleClock {
  public:
    LocalTime now() override;
    std::optional<std::wstring> short_date(const LocalTime& moment) override;
    std::optional<std::wstring> time_of_day(const LocalTime& moment) override;
};

class MainReplyWindow : public ReplyWindow {
  public:
    explicit MainReplyWindow(App& app) : app_(app) {}
    std::uint32_t handle() const override;
    bool is_window(std::uint32_t handle) const override;
    void post_answer(std::uint32_t window, std::optional<std::wstring> answer) override;

  private:
    App& app_;
};

class WindowCycleHooks : public CycleHooks {
  public:
    explicit WindowCycleHooks(App& app) : app_(app) {}

    bool debug_view_shown() const override;
    // The views paint lines and rows from the View buffer once they exist; until then the
    // cycle's records are kept and the window is only repainted.
    void add_debug_line(std::wstring_view, bool) override {}
    void give_export_row() override {}
    void refresh_export_row() override {}
    void repaint() override;
    std::wstring status_text(int part) const override;
    void check_monitoring_item(bool checked) override;
    // Logging and the DDE server join the cycle here when they arrive.
    bool logging_on() const override { return false; }
    void write_log_row(const PollSnapshot&, std::wstring_view) override {}
    void write_debug_log_lines(std::wstring_view, std::wstring_view, std::wstring_view) override {}
    void value_arrived(MonitoredPoint&) override {}
    bool start_poll_timer(std::uint32_t interval_ms) override;
    void stop_poll_timer() override;
    std::uint32_t update_interval_ms() const override;
    bool synchronized_start_set() const override;
    bool synchronized_stop_set() const override;
    bool synchronized_start_passed() const override;

  private:
    App& app_;
};

} // namespace brixtel::win
