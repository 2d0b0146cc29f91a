#pragma once
// Recording stand-ins for everything the poll cycle reaches: the loop connections, the main
// window, the clock, and the views, log, DDE server and timers.
#include "core/clock_texts.h"
#include "core/poll_cycle.h"
#include "core/request_routing.h"

#include <cstdio>
#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace brixtel::testing {

class FakeLoops : public LoopControl {
  public:
    struct Sent {
        const Connection* connection; // each entry made by add() has its own
        std::wstring text;
    };

    LoopEntryList list;
    bool simulation = false;
    int send_result = 40;
    std::vector<Sent> sent;
    std::vector<LoopEndpoint> reconnected;
    std::vector<std::pair<LoopEndpoint, bool>> statuses;
    std::vector<std::pair<LoopEndpoint, std::int32_t>> features;

    LoopEntry& add(std::int32_t loop, std::int32_t pcu, bool link_ok = true,
                   std::wstring host = L"127.0.0.1", std::int32_t remote_port = 5000) {
        LoopEntry& e = list.entries.emplace_back();
        e.loop = loop;
        e.pcu = pcu;
        e.host = std::move(host);
        e.remote_port = remote_port;
        e.receiving = true;
        e.link_ok = link_ok;
        e.local_port = 5100;
        e.connection = std::make_shared<Connection>(0);
        return e;
    }

    LoopEntryList& loop_entries() override { return list; }
    bool simulation_mode() const override { return simulation; }
    int send(Connection& connection, std::wstring_view request) override {
        sent.push_back({&connection, std::wstring(request)});
        return send_result;
    }
    void reconnect_quietly(const LoopEndpoint& entry) override { reconnected.push_back(entry); }
    // As the loop configuration does: an answer sets the link and ends the retry count.
    void report_status(const LoopEndpoint& entry, bool ok) override {
        statuses.emplace_back(entry, ok);
        for (LoopEntry& e : list.entries) {
            if (e.loop == entry.loop && e.pcu == entry.pcu && e.host == entry.host &&
                e.remote_port == entry.remote_port) {
                e.link_ok = ok;
                e.connstat_retries = 0;
            }
        }
    }
    void report_feature(const LoopEndpoint& entry, std::int32_t state) override {
        features.emplace_back(entry, state);
    }
};

class FakeWindow : public ReplyWindow {
  public:
    static constexpr std::uint32_t kHandle = 0x00C0FFEE;
    std::set<std::uint32_t> windows{kHandle};
    std::vector<std::pair<std::uint32_t, std::optional<std::wstring>>> posts;

    std::uint32_t handle() const override { return kHandle; }
    bool is_window(std::uint32_t h) const override { return windows.count(h) != 0; }
    void post_answer(std::uint32_t window, std::optional<std::wstring> answer) override {
        posts.emplace_back(window, std::move(answer));
    }
};

// Formats dates as "d/m/y" and times as "hh:mm:ss". Scripted moments are handed out in
// order; after them the clock stands at `standing`.
class FakeClock : public LocaleClock {
  public:
    std::deque<LocalTime> moments;
    LocalTime standing{2024, 3, 5, 1, 10, 15, 30, 250}; // Friday 1 March
    bool dates_fail = false;
    bool times_fail = false;

    LocalTime now() override {
        if (moments.empty())
            return standing;
        const LocalTime next = moments.front();
        moments.pop_front();
        return next;
    }
    std::optional<std::wstring> short_date(const LocalTime& t) override {
        if (dates_fail)
            return std::nullopt;
        wchar_t text[32];
        std::swprintf(text, 32, L"%d/%d/%d", t.day, t.month, t.year);
        return text;
    }
    std::optional<std::wstring> time_of_day(const LocalTime& t) override {
        if (times_fail)
            return std::nullopt;
        wchar_t text[32];
        std::swprintf(text, 32, L"%02d:%02d:%02d", t.hour, t.minute, t.second);
        return text;
    }
};

// Every partner of the cycle in one recorder; advances the snapshot list as the views do
// when they take a line or a row.
class FakeHooks : public CycleView, public CycleLog, public CycleDde, public CycleTimers {
  public:
    struct LogRow {
        PollSnapshot row;
        std::wstring date;
        LogMoment moment;
    };
    struct DebugLine {
        std::wstring text;
        bool received;
    };

    explicit FakeHooks(SnapshotList& snapshots) : snapshots_(snapshots) {}

    bool debug_view = false;
    bool logging = false;
    std::wstring part0 = L"Monitoring: OFF (00:00:01.000)";
    std::uint32_t interval_ms = 1000;
    bool timer_available = true;
    bool sync_start = false;
    bool sync_stop = false;
    bool sync_start_due = false;

    std::vector<DebugLine> debug_lines;
    std::vector<PollSnapshot> rows_given;
    int refreshes = 0;
    int repaints = 0;
    std::vector<bool> monitoring_checks;
    std::vector<LogRow> log_rows;
    std::vector<std::wstring> debug_log;
    std::vector<bool> cycle_start; // each change the cycle asked for
    std::vector<const MonitoredPoint*> dde_notified;
    std::vector<std::uint32_t> timer_starts;
    int timer_stops = 0;

    bool debug_view_shown() const override { return debug_view; }
    void add_debug_line(std::wstring_view text, bool received) override {
        debug_lines.push_back({std::wstring(text), received});
        snapshots_.ensure_current().values[2] = std::wstring(text);
        snapshots_.allocate();
    }
    void give_export_row() override {
        rows_given.push_back(snapshots_.ensure_current());
        snapshots_.allocate();
    }
    void refresh_export_row() override { ++refreshes; }
    void repaint() override { ++repaints; }
    std::wstring monitoring_status_text() const override { return part0; }
    void check_monitoring_item(bool checked) override { monitoring_checks.push_back(checked); }
    bool logging_on() const override { return logging; }
    void write_log_row(const PollSnapshot& row, std::wstring_view date, LogMoment moment) override {
        log_rows.push_back({row, std::wstring(date), moment});
    }
    void set_cycle_start(bool on) override { cycle_start.push_back(on); }
    void write_debug_log_lines(std::wstring_view date, std::wstring_view time,
                               std::wstring_view text) override {
        debug_log.push_back(std::wstring(date) + L"|" + std::wstring(time) + L"|" +
                            std::wstring(text));
    }
    void value_arrived(MonitoredPoint& point) override { dde_notified.push_back(&point); }
    bool start_poll_timer(std::uint32_t interval) override {
        timer_starts.push_back(interval);
        return timer_available;
    }
    void stop_poll_timer() override { ++timer_stops; }
    std::uint32_t update_interval_ms() const override { return interval_ms; }
    bool synchronized_start_set() const override { return sync_start; }
    bool synchronized_stop_set() const override { return sync_stop; }
    bool synchronized_start_passed() const override { return sync_start_due; }

    CyclePartners partners() { return {*this, *this, *this, *this}; }

  private:
    SnapshotList& snapshots_;
};

} // namespace brixtel::testing
