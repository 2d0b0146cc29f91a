#include "core/poll_cycle.h"

#include "core/block_address.h"
#include "shell/message_format.h"
#include "shell/seat.h"
#include "shell/status_texts.h"

#include <algorithm>
#include <vector>

namespace brixtel {

namespace {

inline constexpr std::wstring_view kMissing = L"MISSING";

bool has_text(const std::optional<std::wstring>& slot) {
    return slot && !slot->empty();
}

std::wstring table_text(StringId id, std::initializer_list<MessageArg> inserts) {
    return format_table_text(id, inserts).value_or(std::wstring(string_text(id)));
}

float next_simulation_value(float value) {
    return value > 9999.0f ? 0.0f : value + 1.0f;
}

} // namespace

PollCycle::PollCycle(PointTable& points, SnapshotList& snapshots, RequestRouter& router,
                     LoopControl& loops, Seat& seat, CyclePartners partners, LocaleClock& clock)
    : points_(points), snapshots_(snapshots), router_(router), loops_(loops), seat_(seat),
      partners_(partners), clock_(clock) {}

// ---- Poll tick ---------------------------------------------------------------------------

void PollCycle::poll_tick() {
    const Stamp tick = take_stamp(clock_);
    state_.request_time = tick.time;
    state_.cycle_date = tick.date;
    const bool on = monitoring_.get();
    if (on || state_.dde_demand) {
        state_.answers_last_cycle = state_.answers_this_cycle;
        state_.answers_this_cycle = false;
        const bool debug = partners_.view.debug_view_shown();
        PollSnapshot* current = on || debug ? &snapshots_.ensure_current() : nullptr;
        // The rows of the cycle that ends now are closed only once it has really run.
        const bool closing = current && !debug && !state_.first_tick && state_.answers_last_cycle;
        std::size_t rows_closed = 0;
        bool missing = false;
        for (MonitoredPoint& point : points_) {
            point.simulation_counter = next_simulation_value(point.simulation_counter);
            const bool sent = send_read_request(point);
            if (!sent)
                seat_.set_status_text(status_part::kConnection,
                                      string_text(ids::CannotTransmitRequests));
            if (debug)
                show_request_line(point, sent, tick);
            if (closing && !point.dde_only)
                missing = close_row(*current, ++rows_closed, point) || missing;
        }
        if ((on || debug) && state_.answers_last_cycle) {
            if (PollSnapshot* newest = snapshots_.newest())
                newest->clear_rows_after(rows_closed);
        }
        if (!debug && on && state_.answers_last_cycle)
            finish_cycle_rows(current, missing);
        if (on && !debug) {
            state_.first_tick = false;
            partners_.log.set_cycle_start(false);
        }
    }
    state_.first_answer_taken = false;
    state_.row_logged = false;
    state_.previous_cycle_date = tick.date;
}

bool PollCycle::send_read_request(MonitoredPoint& point) {
    const std::uint32_t window = router_.reply_window();
    const std::uint32_t id = point.request_id;
    const BlockAddress address = point.address;
    return router_.send_request(
        {address.loop, address.pcu, std::nullopt},
        [&](std::wstring_view suffix) { return compose_read_request(window, id, address, suffix); },
        point.simulation_counter);
}

void PollCycle::show_request_line(MonitoredPoint& point, bool sent, const Stamp& tick) {
    // Each line lands in the newest record, so each carries its own date and time.
    PollSnapshot& line = snapshots_.ensure_current();
    line.cycle_date = tick.date;
    line.values[1] = tick.time;
    const BlockAddress& a = point.address;
    const std::wstring text =
        sent ? read_request_display_text(router_.reply_window(), point.request_id, a)
             : table_text(ids::NoConnectionForRequest,
                          {L"output", a.loop, a.pcu, a.module, a.block});
    partners_.view.add_debug_line(text, false);
}

// Takes the point's answer of the ending cycle into its row, or marks it missing; true
// when it was missing.
bool PollCycle::close_row(PollSnapshot& row, std::size_t row_number, MonitoredPoint& point) {
    const auto slot = slot_of_row(row_number);
    const bool answered = point.new_value;
    point.new_value = false;
    if (!slot)
        return false;
    if (answered) {
        row.values[*slot] = point.value;
        row.types[*slot] = point.value_type;
    } else {
        row.values[*slot] = std::wstring(kMissing);
    }
    row.addresses[*slot] = row_key(point.address);
    if (answered)
        row.times[*slot] = point.time_in;
    return !answered;
}

void PollCycle::finish_cycle_rows(PollSnapshot* current, bool missing) {
    if (!current)
        return;
    if (has_text(current->values[0]) && !state_.first_tick)
        partners_.view.give_export_row();
    // A row in which every point answered went to the log with its last answer.
    if (partners_.log.logging_on() && missing && !state_.row_logged) {
        const std::wstring& date =
            state_.previous_cycle_date.empty() ? state_.cycle_date : state_.previous_cycle_date;
        state_.row_logged = true;
        partners_.log.write_log_row(*current, date, LogMoment::Tick);
    }
}

// ---- Answers -----------------------------------------------------------------------------

void PollCycle::answer_arrived(const wchar_t* text) {
    if (!text)
        return;
    const std::wstring_view answer(text);
    const Stamp stamp = take_stamp(clock_);
    const AnswerReading reading(answer);
    if (apply_status_answer(answer, reading))
        return;

    state_.answers_this_cycle = true;
    const bool on = monitoring_.get();
    const bool debug = partners_.view.debug_view_shown();
    PollSnapshot* current = nullptr;
    if (on || debug) {
        current = &snapshots_.ensure_current();
        current->cycle_date = stamp.date;
        if (debug)
            show_received(answer, stamp);
    }
    // In the Debug View the records hold the lines, and no one reads rows there.
    PollSnapshot* rows = debug ? nullptr : current;
    const std::size_t listed = points_.listed_count();

    bool updated_listed = false;
    if (const auto id = reading.read_id()) {
        updated_listed = id->cancel ? apply_cancel(rows, stamp)
                                    : apply_read(reading, id->request_id, rows, stamp);
    }
    if (on && !debug && updated_listed) {
        partners_.view.refresh_export_row();
        // Each cycle's row goes to the log once: here as soon as an answer finds it complete
        // (the answer that completed it may have come before logging was switched on).
        if (partners_.log.logging_on() && !state_.row_logged && rows &&
            row_complete(*rows, listed)) {
            state_.row_logged = true;
            partners_.log.write_log_row(*rows, stamp.date, LogMoment::Answer);
        }
    }
}

bool PollCycle::apply_status_answer(std::wstring_view answer, const AnswerReading& reading) {
    switch (reading.kind()) {
    case AnswerKind::Connstat: {
        const auto status = parse_connstat_answer(answer);
        if (!status)
            return false;
        loops_.report_status(status->entry, status->ok);
        const LoopEndpoint& e = status->entry;
        const std::wstring verdict(string_text(status->ok ? ids::ConnstatOk : ids::ConnstatBad));
        seat_.set_status_text(
            status_part::kConnection,
            e.pcu == -1
                ? table_text(ids::ConnstatResultAllPcus, {e.loop, e.host, e.remote_port, verdict})
                : table_text(ids::ConnstatResult, {e.loop, e.pcu, e.host, e.remote_port, verdict}));
        return true;
    }
    case AnswerKind::FeatureUsername: {
        const auto feature = parse_feature_username_answer(answer);
        if (!feature)
            return false;
        loops_.report_feature(feature->entry, feature->state);
        return true;
    }
    case AnswerKind::Read:
        break;
    }
    return false;
}

void PollCycle::show_received(std::wstring_view answer, const Stamp& stamp) {
    snapshots_.ensure_current().values[1] = stamp.time;
    partners_.view.add_debug_line(answer, true);
    if (partners_.log.logging_on())
        partners_.log.write_debug_log_lines(stamp.date, stamp.time, answer);
}

bool PollCycle::apply_cancel(PollSnapshot* rows, const Stamp& stamp) {
    for (MonitoredPoint& point : points_) {
        point.time_in = stamp.time;
        point.value = std::wstring(kCancelValue);
        point.new_value = true;
        partners_.dde.value_arrived(point);
    }
    const std::vector<MonitoredPoint*> listed = points_.listed_points();
    if (rows) {
        for (std::size_t row = 1; row <= listed.size(); ++row) {
            if (const auto slot = slot_of_row(row))
                write_row(*rows, *slot, *listed[row - 1]);
        }
        if (rows->request_time.empty())
            rows->request_time = state_.request_time;
    }
    return !listed.empty();
}

bool PollCycle::apply_read(const AnswerReading& reading, std::uint32_t request_id,
                           PollSnapshot* rows, const Stamp& stamp) {
    MonitoredPoint* asked = points_.find_by_request_id(request_id);
    if (!asked)
        return false;
    const auto value = reading.value();
    bool updated_listed = !asked->dde_only;
    apply_to_point(*asked, value, rows, stamp);
    // Every other point with the same address gets the same answer.
    for (MonitoredPoint* other : points_.find_by_address(asked->address)) {
        if (other == asked)
            continue;
        updated_listed = updated_listed || !other->dde_only;
        apply_to_point(*other, value, rows, stamp);
    }
    return updated_listed;
}

void PollCycle::apply_to_point(MonitoredPoint& point, const std::optional<AnswerValue>& value,
                               PollSnapshot* rows, const Stamp& stamp) {
    point.time_in = stamp.time;
    const bool has_row = rows && !point.dde_only;
    if (has_row) {
        if (!state_.first_answer_taken) {
            rows->values[0] = stamp.time;
            state_.first_answer_taken = true;
        }
        rows->values[1] = stamp.time;
        if (rows->dates[0].empty())
            rows->dates[0] = stamp.date;
        rows->dates[1] = stamp.date;
        if (rows->request_time.empty())
            rows->request_time = state_.request_time;
    }
    if (value) {
        point.value = value->text;
        if (value->type)
            point.value_type = *value->type;
    }
    point.new_value = true;
    partners_.dde.value_arrived(point);
    if (!has_row)
        return;
    if (const auto row = points_.row_of(point)) {
        if (const auto slot = slot_of_row(*row)) {
            write_row(*rows, *slot, point);
            rows->dates[*slot] = stamp.date;
        }
    }
}

void PollCycle::write_row(PollSnapshot& row, std::size_t slot, const MonitoredPoint& point) {
    row.addresses[slot] = row_key(point.address);
    row.values[slot] = point.value;
    row.types[slot] = point.value_type;
    row.times[slot] = point.time_in;
}

// ---- Connection status and the Poll timer --------------------------------------------------

void PollCycle::connstat_tick() {
    struct Probe {
        LoopEndpoint entry;
        bool reconnect = false;
        bool ask_feature = false;
    };
    std::vector<Probe> probes;
    {
        LoopEntryList& list = loops_.loop_entries();
        std::lock_guard guard(list.lock);
        if (list.entries.empty()) {
            seat_.set_status_text(status_part::kConnection,
                                  string_text(ids::NoMonitoringConfiguration));
            return;
        }
        if (list.entries.front().remote_port == 0) {
            seat_.set_status_text(status_part::kConnection,
                                  string_text(ids::DemoConfigurationInUse));
            return;
        }
        for (LoopEntry& e : list.entries) {
            if (e.last_lookup_error != 0)
                continue;
            const LoopEndpoint endpoint{e.loop, e.pcu, e.host, e.remote_port};
            if (e.connstat_retries > 2) {
                // Three probes went unanswered: the connection is rebuilt.
                e.connstat_retries = 0;
                probes.push_back({endpoint, true, false});
            } else if (e.local_port != kNoLocalPort) {
                ++e.connstat_retries;
                probes.push_back({endpoint, false, e.user_name_feature == 0});
            }
        }
    }
    // Sending and reconnecting take the lock themselves and may change the list.
    for (const Probe& probe : probes) {
        if (probe.reconnect) {
            loops_.reconnect_quietly(probe.entry);
            continue;
        }
        if (probe.ask_feature)
            router_.send_feature_username_request(probe.entry);
        router_.send_connstat_request(probe.entry);
    }
}

void PollCycle::link_check() {
    bool usable = false;
    {
        LoopEntryList& list = loops_.loop_entries();
        std::lock_guard guard(list.lock);
        usable = std::any_of(list.entries.begin(), list.entries.end(),
                             [](const LoopEntry& e) { return e.link_ok; });
    }
    state_.some_loop_usable = usable;
    const bool on = monitoring_.get();
    // A synchronized start that is due keeps polling while the links come up.
    if (!usable && state_.poll_timer_running &&
        !(on && partners_.timers.synchronized_start_passed()))
        stop_poll_timer();
    if (usable && (on || state_.dde_demand))
        start_poll_timer();
}

void PollCycle::start_poll_timer() {
    std::lock_guard guard(poll_timer_lock_);
    if (state_.poll_timer_running || !(monitoring_.get() || state_.dde_demand))
        return;
    poll_tick(); // the first poll goes out at once, the next after one interval
    state_.poll_timer_running =
        partners_.timers.start_poll_timer(partners_.timers.update_interval_ms());
}

void PollCycle::run_poll_timer() {
    std::lock_guard guard(poll_timer_lock_);
    if (!state_.poll_timer_running)
        state_.poll_timer_running =
            partners_.timers.start_poll_timer(partners_.timers.update_interval_ms());
}

void PollCycle::stop_poll_timer() {
    std::lock_guard guard(poll_timer_lock_);
    if (!state_.poll_timer_running)
        return;
    partners_.timers.stop_poll_timer();
    state_.poll_timer_running = false;
}

// ---- Monitoring switch ---------------------------------------------------------------------

void PollCycle::monitoring_command(const CurrentTagList& tag_list) {
    if (monitoring_.get())
        switch_off();
    else
        switch_on(tag_list);
}

void PollCycle::show_monitoring_state(bool on) {
    // The interval part already shown is kept: it may carry a change not yet saved.
    const std::wstring shown = partners_.view.monitoring_status_text();
    const auto parenthesis = shown.find(L'(');
    std::wstring text;
    if (parenthesis != std::wstring::npos)
        text = std::wstring(string_text(on ? ids::MonitoringOnPrefix : ids::MonitoringOffPrefix)) +
               shown.substr(parenthesis);
    else
        text = monitoring_state_text(on, partners_.timers.update_interval_ms());
    seat_.set_status_text(status_part::kMonitoring, text);
}

void PollCycle::follow_menu_states(bool on) {
    const bool start_set = partners_.timers.synchronized_start_set();
    if (on) {
        enable_tag_list_commands(seat_, false);
        if (!start_set && !partners_.timers.synchronized_stop_set())
            enable_synchronized_start_command(seat_, false);
        return;
    }
    enable_tag_list_commands(seat_, true);
    enable_synchronized_start_command(seat_, true);
    // While a synchronized start is set, only its clock switches monitoring on.
    if (start_set)
        enable_monitoring_command(seat_, false);
}

void PollCycle::switch_on(const CurrentTagList& tag_list) {
    partners_.view.check_monitoring_item(true);
    show_monitoring_state(true);
    if (!state_.points_created) {
        for (const PointNode& node : tag_list) {
            if (node.database_number != kDetachedDatabase)
                points_.create(node.address, DdeLink{}, false, true);
        }
        state_.points_created = true;
    }
    monitoring_.set(true);
    follow_menu_states(true);
    partners_.view.repaint();
    stop_poll_timer();
    if (!partners_.view.debug_view_shown())
        snapshots_.start_fresh_if_used();
    if (state_.some_loop_usable)
        start_poll_timer();
}

void PollCycle::switch_off() {
    partners_.view.check_monitoring_item(false);
    show_monitoring_state(false);
    PollSnapshot* newest = snapshots_.newest();
    if (newest && has_text(newest->values[0]) && !partners_.view.debug_view_shown()) {
        std::size_t row = 0;
        for (MonitoredPoint* point : points_.listed_points()) {
            const auto slot = slot_of_row(++row);
            if (!slot || point->new_value)
                continue;
            newest->values[*slot] = std::wstring(kMissing);
            newest->addresses[*slot] = row_key(point->address);
        }
        partners_.view.give_export_row();
        // Written before the points go, so that a header written with it still names them;
        // a row that went to the log when it became complete is not written twice.
        if (partners_.log.logging_on() && !state_.row_logged)
            partners_.log.write_log_row(*newest, take_stamp(clock_).date, LogMoment::MonitoringOff);
    }
    points_.remove_listed(false);
    state_.points_created = false;
    monitoring_.set(false);
    state_.first_tick = true;
    state_.row_logged = false;
    partners_.log.set_cycle_start(true);
    follow_menu_states(false);
}

void PollCycle::stop_for_exit() {
    if (!monitoring_.get())
        return;
    monitoring_.set(false);
    points_.remove_all(false);
    state_.points_created = false;
}

} // namespace brixtel
