#include "core/request_routing.h"

#include "core/server_answers.h"
#include "core/text_scan.h"
#include "shell/message_format.h"
#include "shell/seat.h"

#include <array>
#include <mutex>

namespace brixtel {

namespace {

bool serves_all_pcus(const LoopEntry& entry) {
    return entry.pcu == 0 || entry.pcu == -1;
}

// With a host the request belongs to that server; without one any entry whose link is up
// will carry it.
bool host_fits(const LoopEntry& entry, const RequestTarget& target) {
    return target.host ? entry.host == *target.host : entry.link_ok;
}

bool fits(RoutePass pass, const LoopEntry& entry, const RequestTarget& target) {
    switch (pass) {
    case RoutePass::SameLoopAndPcu:
        return entry.loop == target.loop && entry.pcu == target.pcu && host_fits(entry, target);
    case RoutePass::SameLoop:
        return entry.loop == target.loop && serves_all_pcus(entry) && host_fits(entry, target);
    case RoutePass::LoopOne:
        return entry.loop == 1 && serves_all_pcus(entry) && host_fits(entry, target);
    case RoutePass::AnyLoop:
        return !target.host && serves_all_pcus(entry) && entry.link_ok;
    }
    return false;
}

constexpr std::array kPasses = {RoutePass::SameLoopAndPcu, RoutePass::SameLoop, RoutePass::LoopOne,
                                RoutePass::AnyLoop};

std::wstring table_text(StringId id, std::initializer_list<MessageArg> inserts) {
    return format_table_text(id, inserts).value_or(std::wstring(string_text(id)));
}

} // namespace

std::optional<Route> choose_route(LoopEntryList& entries, const RequestTarget& target) {
    std::lock_guard guard(entries.lock);
    for (const RoutePass pass : kPasses) {
        for (LoopEntry& entry : entries.entries) {
            if (entry.receiving && entry.connection && fits(pass, entry, target))
                return Route{entry.connection, pass, entry.loop, entry.user_name_feature};
        }
    }
    return std::nullopt;
}

std::wstring route_status_text(RoutePass pass, const RequestTarget& target,
                               std::int32_t entry_loop) {
    switch (pass) {
    case RoutePass::SameLoopAndPcu:
        return table_text(ids::TxLoopPcu, {target.loop, target.pcu});
    case RoutePass::SameLoop:
        return table_text(ids::TxLoop, {target.loop});
    case RoutePass::LoopOne:
        return table_text(ids::TxLoopOne, {});
    case RoutePass::AnyLoop:
        return table_text(ids::TxLoopOnLoop, {target.loop, entry_loop});
    }
    return {};
}

RequestRouter::RequestRouter(LoopControl& loops, ReplyWindow& window, Seat& seat,
                             std::wstring user_name)
    : loops_(loops), window_(window), seat_(seat), suffix_(user_suffix(user_name)) {}

bool RequestRouter::simulate(const std::wstring& request, float simulation_value) {
    const auto window = reply_window_of(request);
    if (!window || !window_.is_window(*window))
        return true;
    if (text::contains(request, L"output"))
        window_.post_answer(*window, simulation_answer(request, simulation_value));
    else
        window_.post_answer(*window, std::nullopt);
    return true;
}

bool RequestRouter::send_request(const RequestTarget& target, const RequestComposer& compose,
                                 float simulation_value) {
    const auto request = compose(L"");
    if (!request)
        return false;
    if (loops_.simulation_mode())
        return simulate(*request, simulation_value);

    const auto route = choose_route(loops_.loop_entries(), target);
    if (!route) {
        seat_.set_status_text(status_part::kTransmission, string_text(ids::NoTxNoConn));
        return false;
    }
    const bool is_connstat = text::contains(*request, L"connstat");
    const auto outgoing =
        user_suffix_applies(is_connstat, route->user_name_feature) ? compose(suffix_) : request;
    if (!outgoing || loops_.send(*route->connection, *outgoing) < 0)
        return false;
    seat_.set_status_text(status_part::kTransmission,
                          route_status_text(route->pass, target, route->entry_loop));
    return true;
}

bool RequestRouter::send_connstat_request(const LoopEndpoint& entry) {
    const std::wstring attempt =
        entry.pcu == -1
            ? table_text(ids::ConnstatAttemptAllPcus, {entry.loop, entry.host, entry.remote_port})
            : table_text(ids::ConnstatAttempt,
                         {entry.loop, entry.pcu, entry.host, entry.remote_port});
    seat_.set_status_text(status_part::kConnection, attempt);
    const std::uint32_t window = reply_window();
    return send_request(
        {entry.loop, entry.pcu, entry.host},
        [&](std::wstring_view suffix) { return compose_connstat_request(window, entry, suffix); },
        0.0f);
}

bool RequestRouter::send_feature_username_request(const LoopEndpoint& entry) {
    const std::uint32_t window = reply_window();
    return send_request(
        {entry.loop, entry.pcu, entry.host},
        [&](std::wstring_view suffix) {
            return compose_feature_username_request(window, entry, suffix);
        },
        0.0f);
}

} // namespace brixtel
