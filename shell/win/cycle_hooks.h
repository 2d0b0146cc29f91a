#pragma once
// The poll cycle's Win32 partners: the local clock in the thread's locale, the main window
// as the reply window, and the hooks into timers, menu, views, log and DDE.
#include "core/clock_texts.h"
#include "core/poll_cycle.h"
#include "core/request_routing.h"
#include "core/win/transport_poster.h"
#include "logging/log_writer.h"

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

// The views, the monitoring item and status part 0 of the Main window.
class WindowCycleView : public CycleView {
  public:
    explicit WindowCycleView(App& app) : app_(app) {}

    bool debug_view_shown() const override;
    void add_debug_line(std::wstring_view text, bool received) override;
    void give_export_row() override;
    void refresh_export_row() override;
    void repaint() override;
    std::wstring monitoring_status_text() const override;
    void check_monitoring_item(bool checked) override;

  private:
    App& app_;
};

// What the log writer reads of the program: the view, the loaded list, the points.
class AppLogSources : public LogSources {
  public:
    explicit AppLogSources(App& app) : app_(app) {}

    bool debug_view() const override;
    std::wstring loaded_list_name() const override;
    std::vector<BlockAddress> listed_points() const override;
    const CurrentTagList& tag_list() const override;

  private:
    App& app_;
};

// The log writer's Debug View records of one turn of the message loop: a posted message comes
// after the answers queued now, and writes them all in one opening of the file.
inline constexpr UINT kWriteLogMessage = WM_APP + 3;

class WindowLogBatching : public LogBatching {
  public:
    explicit WindowLogBatching(App& app) : app_(app) {}

    bool request_write() override;

  private:
    App& app_;
};

// Timer 1 of the Main window and the synchronized start and stop times.
class WindowCycleTimers : public CycleTimers {
  public:
    explicit WindowCycleTimers(App& app) : app_(app) {}

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
