#pragma once
// The heartbeat: the Poll timer's ticks send one read request per point, answers fill the
// points and the current Poll snapshot, the connstat tick probes each loop and rebuilds
// silent connections, the link check starts and stops the Poll timer, and the Monitoring
// command switches it all on and off. Main thread only, except the monitoring flag, which
// the DDE and logging code read through its lock.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/clock_texts.h"
#include "core/point_table.h"
#include "core/poll_snapshot.h"
#include "core/request_routing.h"
#include "core/server_answers.h"
#include "tags/current_tag_list.h"

namespace brixtel {

class Seat;

// The cycle's partners, one small interface each, so that a reader sees whole what each
// partner must do and a partner that is not there yet can be left out with a null one.

// The window: its views, the monitoring item and status part 0.
class CycleView {
  public:
    virtual ~CycleView() = default;
    virtual bool debug_view_shown() const = 0;
    // Adds a Debug View line (the newest record takes it, then a new record follows);
    // `received` lines are what came back from the server.
    virtual void add_debug_line(std::wstring_view text, bool received) = 0;
    // Gives the newest record to the Export View as a row, then a new record follows.
    virtual void give_export_row() = 0;
    // Paints the newest record's row again in place.
    virtual void refresh_export_row() = 0;
    virtual void repaint() = 0;
    // What status part 0 shows now (its interval part may carry a change not yet saved).
    virtual std::wstring monitoring_status_text() const = 0;
    virtual void check_monitoring_item(bool checked) = 0;
};

// When the cycle hands a row to the log.
enum class LogMoment {
    Answer,        // an answer left the row complete
    Tick,          // the tick closed a cycle in which some point did not answer
    MonitoringOff, // monitoring was switched off while the cycle ran
};

// The log writer.
class CycleLog {
  public:
    virtual ~CycleLog() = default;
    virtual bool logging_on() const = 0;
    // An Export View row; `date` is the row's date text.
    virtual void write_log_row(const PollSnapshot& row, std::wstring_view date,
                               LogMoment moment) = 0;
    virtual void write_debug_log_lines(std::wstring_view date, std::wstring_view time,
                                       std::wstring_view text) = 0;
    // Set when monitoring goes off, cleared at the end of every tick while monitoring runs in
    // the Export View: a cycle that never ran under monitoring gives no row.
    virtual void set_cycle_start(bool cycle_start) = 0;
};

// No log: logging is never on.
class NullCycleLog : public CycleLog {
  public:
    bool logging_on() const override { return false; }
    void write_log_row(const PollSnapshot&, std::wstring_view, LogMoment) override {}
    void write_debug_log_lines(std::wstring_view, std::wstring_view, std::wstring_view) override {}
    void set_cycle_start(bool) override {}
};

// The DDE server.
class CycleDde {
  public:
    virtual ~CycleDde() = default;
    // A point took a value: release a held-back request or post an advise.
    virtual void value_arrived(MonitoredPoint& point) = 0;
};

// No DDE server: nobody waits for values.
class NullCycleDde : public CycleDde {
  public:
    void value_arrived(MonitoredPoint&) override {}
};

// Timer 1 and the synchronized start and stop clock.
class CycleTimers {
  public:
    virtual ~CycleTimers() = default;
    // Starting returns false when the system gave no timer.
    virtual bool start_poll_timer(std::uint32_t interval_ms) = 0;
    virtual void stop_poll_timer() = 0;
    virtual std::uint32_t update_interval_ms() const = 0;
    virtual bool synchronized_start_set() const = 0;
    virtual bool synchronized_stop_set() const = 0;
    // A synchronized start is set and the clock's hour and minute are past its time.
    virtual bool synchronized_start_passed() const = 0;
};

struct CyclePartners {
    CycleView& view;
    CycleLog& log;
    CycleDde& dde;
    CycleTimers& timers;
};

// Monitoring on or off, shared with the DDE and logging code.
class MonitoringFlag {
  public:
    bool get() const {
        std::lock_guard guard(lock_);
        return on_;
    }
    void set(bool on) {
        std::lock_guard guard(lock_);
        on_ = on;
    }

  private:
    mutable std::mutex lock_;
    bool on_ = false;
};

struct CycleState {
    bool answers_this_cycle = false;
    bool answers_last_cycle = false;
    bool first_answer_taken = false; // value slot 0 of this cycle's snapshot is written
    bool first_tick = true;          // the next tick in Export View builds no row
    bool points_created = false;
    bool row_logged = false;   // this cycle's row went to the log
    std::wstring request_time; // time text of the latest tick
    std::wstring cycle_date;   // date of the latest tick
    std::wstring previous_cycle_date;
    bool poll_timer_running = false;
    bool some_loop_usable = false;
    bool dde_demand = false;
};

class PollCycle {
  public:
    PollCycle(PointTable& points, SnapshotList& snapshots, RequestRouter& router,
              LoopControl& loops, Seat& seat, CyclePartners partners, LocaleClock& clock);

    // Timer 1.
    void poll_tick();
    // Timer 2.
    void connstat_tick();
    // Timer 3.
    void link_check();
    // An answer posted to the main window; null is ignored. The caller keeps and frees it.
    void answer_arrived(const wchar_t* answer);
    // The Monitoring command: switches on when off and off when on.
    void monitoring_command(const CurrentTagList& tag_list);
    // Closing the program: monitoring off without closing the cycle, every point removed.
    void stop_for_exit();

    // Under its own lock: with monitoring on or DDE demand and no Poll timer running, polls
    // at once and starts the timer.
    void start_poll_timer();
    void stop_poll_timer();
    // Start-up runs the Poll timer whatever the monitoring state; its ticks send nothing
    // until monitoring or a DDE client asks for values.
    void run_poll_timer();

    void set_dde_demand(bool demand) { state_.dde_demand = demand; }
    bool monitoring_on() const { return monitoring_.get(); }
    MonitoringFlag& monitoring_flag() { return monitoring_; }
    const CycleState& state() const { return state_; }

  private:
    void switch_on(const CurrentTagList& tag_list);
    void switch_off();
    void show_monitoring_state(bool on);
    void follow_menu_states(bool on);

    bool send_read_request(MonitoredPoint& point);
    void show_request_line(MonitoredPoint& point, bool sent, const Stamp& tick);
    bool close_row(PollSnapshot& row, std::size_t row_number, MonitoredPoint& point);
    void finish_cycle_rows(PollSnapshot* current, bool missing);

    bool apply_status_answer(std::wstring_view answer, const AnswerReading& reading);
    void show_received(std::wstring_view answer, const Stamp& stamp);
    bool apply_cancel(PollSnapshot* current, const Stamp& stamp);
    bool apply_read(const AnswerReading& reading, std::uint32_t request_id, PollSnapshot* current,
                    const Stamp& stamp);
    void apply_to_point(MonitoredPoint& point, const std::optional<AnswerValue>& value,
                        PollSnapshot* current, const Stamp& stamp);
    void write_row(PollSnapshot& row, std::size_t slot, const MonitoredPoint& point);

    PointTable& points_;
    SnapshotList& snapshots_;
    RequestRouter& router_;
    LoopControl& loops_;
    Seat& seat_;
    CyclePartners partners_;
    LocaleClock& clock_;
    MonitoringFlag monitoring_;
    // Re-entrant: a tick that shows a modal box runs a nested message loop, in which the link
    // check may start the Poll timer on the same thread.
    std::recursive_mutex poll_timer_lock_;
    CycleState state_;
};

} // namespace brixtel
