#include "core/transport.h"

#include "core/server_answers.h"
#include "platform/text.h"
#include "shell/printf_text.h"
#include "shell/string_table.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace brixtel {

struct Transport::Shared {
    Shared(Seat& seat_in, AnswerPoster& poster_in, TransportHooks hooks_in)
        : seat(&seat_in), poster(&poster_in), hooks(std::move(hooks_in)) {}

    LoopEntryList list;
    // The attempt that owns each record's threads (under the Loop list lock). A newer attempt,
    // a close or a removal makes older threads let the record go.
    std::map<const LoopEntry*, std::uint64_t> attempts;
    std::uint64_t next_attempt = 0;
    std::atomic<bool> simulation{false};

    std::mutex layer_lock;
    SocketLayer layer;
    bool layer_started = false;
    bool layer_attempted = false;
    int startups = 0;

    // Worker threads reach the program through this gate only.
    std::mutex gate;
    std::condition_variable changed;
    bool open = true;
    int calls = 0;
    int threads = 0;
    int connecting = 0;
    int receiving = 0;
    Seat* seat;
    AnswerPoster* poster;
    TransportHooks hooks;

    template <typename Call> void call(Call&& work) {
        {
            std::lock_guard hold(gate);
            if (!open)
                return;
            ++calls;
        }
        work(*seat, *poster, hooks);
        std::lock_guard hold(gate);
        --calls;
        changed.notify_all();
    }

    void report(const LoopEndpoint& endpoint, bool ok) {
        call([&](Seat&, AnswerPoster&, TransportHooks& h) {
            if (h.report_status)
                h.report_status(endpoint, ok);
        });
    }

    void box(StringId text, StringId caption, unsigned flags,
             std::initializer_list<MessageArg> inserts = {}) {
        call([&](Seat& s, AnswerPoster&, TransportHooks&) {
            s.message_box(text, caption, flags, inserts);
        });
    }

    void status(int part, const std::wstring& text) {
        call([&](Seat& s, AnswerPoster&, TransportHooks&) { s.set_status_text(part, text); });
    }

    // Called under the Loop list lock.
    LoopEntry* find(const LoopEndpoint& endpoint) {
        for (LoopEntry& entry : list.entries) {
            if (entry.loop == endpoint.loop && entry.pcu == endpoint.pcu &&
                entry.remote_port == endpoint.remote_port && entry.host == endpoint.host)
                return &entry;
        }
        return nullptr;
    }
    bool owns(const LoopEntry* entry, std::uint64_t attempt) const {
        const auto it = attempts.find(entry);
        return it != attempts.end() && it->second == attempt;
    }
    void thread_started(bool connect) {
        std::lock_guard hold(gate);
        ++threads;
        (connect ? connecting : receiving) += 1;
    }
    void thread_ended(bool connect) {
        std::lock_guard hold(gate);
        --threads;
        (connect ? connecting : receiving) -= 1;
        changed.notify_all();
    }
    // Under the Loop list lock: takes the entry's connection out and lets older threads go.
    std::shared_ptr<Connection> take_connection(LoopEntry& entry) {
        attempts[&entry] = ++next_attempt;
        entry.receiving = false;
        entry.link_ok = false;
        entry.user_name_feature = 0;
        return std::move(entry.connection);
    }
};

namespace {

enum : int { StatusTransmission = 4, StatusConnection = 5 };

using Shared = Transport::Shared;

wchar_t folded(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}

// Names under the reserved "invalid" domain never resolve; no name server is asked.
bool reserved_invalid_name(std::wstring_view host) {
    if (!host.empty() && host.back() == L'.')
        host.remove_suffix(1);
    constexpr std::wstring_view suffix = L"invalid";
    if (host.size() < suffix.size())
        return false;
    const std::wstring_view tail = host.substr(host.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (folded(tail[i]) != suffix[i])
            return false;
    }
    return host.size() == suffix.size() || host[host.size() - suffix.size() - 1] == L'.';
}

HostLookup look_up_host(Shared& shared, std::wstring_view host) {
    HostLookup result;
    if (reserved_invalid_name(host)) {
        net::set_last_error(net::error::ServiceNotFound);
        result.began = true;
        return result;
    }
    const net::Lookup lookup = net::lookup_ipv4(host);
    if (!lookup.began) {
        // Shown even for a quiet attempt: without a name service nothing can connect.
        shared.box(ids::NameLookupBeginFailed, ids::NetworkError, mb::Ok, {lookup.error});
        return result;
    }
    result.began = true;
    result.found = lookup.found;
    result.address = lookup.address;
    net::set_last_error(lookup.error);
    return result;
}

bool start_socket_layer(Shared& shared, bool quiet) {
    std::lock_guard hold(shared.layer_lock);
    if (!shared.layer_started && !shared.layer_attempted) {
        const int failure = shared.layer.startup();
        if (failure != 0) {
            if (!quiet)
                shared.box(ids::WsaStartupFailed, ids::NetworkError, mb::Ok, {failure});
            shared.layer.cleanup();
            shared.layer_started = false;
        } else {
            ++shared.startups;
            shared.layer_started = true;
        }
        shared.layer_attempted = true;
    }
    return shared.layer_started;
}

enum class BindOutcome { Bound, Clash, Failed };

struct BindResult {
    BindOutcome outcome = BindOutcome::Failed;
    std::uint16_t port = kNoLocalPort;
    int error = 0;
};

// Hosts of the entries whose remote port is the candidate: a Zandor on this computer listens
// there, and binding the same port would take its datagrams.
bool local_server_on(Shared& shared, std::uint16_t candidate, const HostLookup& localhost) {
    if (!localhost.found)
        return false;
    std::vector<std::wstring> hosts;
    {
        std::lock_guard hold(shared.list.lock);
        for (const LoopEntry& entry : shared.list.entries) {
            if (entry.remote_port == candidate)
                hosts.push_back(entry.host);
        }
    }
    for (const std::wstring& host : hosts) {
        const HostLookup found = look_up_host(shared, host);
        if (found.found && found.address == localhost.address)
            return true;
    }
    return false;
}

BindResult bind_in_range(Shared& shared, net::Socket& socket, std::uint16_t wanted) {
    PortRange range;
    std::function<bool(std::uint16_t)> in_use;
    shared.call([&](Seat&, AnswerPoster&, TransportHooks& hooks) {
        if (hooks.port_range)
            range = hooks.port_range();
        in_use = hooks.local_port_in_use;
    });
    BindResult result;
    std::uint32_t candidate = wanted;
    if (wanted == kNoLocalPort) {
        candidate = range.upper + 1u;
        for (std::uint32_t port = range.lower; port <= range.upper; ++port) {
            bool used = false;
            shared.call([&](Seat&, AnswerPoster&, TransportHooks&) {
                used = in_use && in_use(static_cast<std::uint16_t>(port));
            });
            if (!used) {
                candidate = port;
                break;
            }
        }
        if (candidate > range.upper)
            return result;
    }
    const HostLookup localhost = look_up_host(shared, L"localhost");
    bool clash = false;
    for (; candidate <= range.upper; ++candidate) {
        net::set_last_error(0);
        result.error = 0;
        const auto port = static_cast<std::uint16_t>(candidate);
        if (local_server_on(shared, port, localhost)) {
            clash = true;
            continue;
        }
        if (net::bind_any(socket, port)) {
            result.outcome = BindOutcome::Bound;
            result.port = port;
            return result;
        }
        result.error = net::last_error();
        net::close_socket(socket);
        socket = net::create_udp_socket();
    }
    result.outcome = clash ? BindOutcome::Clash : BindOutcome::Failed;
    return result;
}

void receive_loop(std::shared_ptr<Shared> shared, std::shared_ptr<Connection> connection) {
    std::vector<char> buffer(kReceiveBufferBytes);
    const std::wstring rx_format(string_text(ids::RxBytes));
    for (;;) {
        const Received got = connection->receive(buffer.data(), buffer.size());
        if (got.kind == Received::Kind::Closed)
            break;
        if (got.kind == Received::Kind::Idle)
            continue;
        if (got.kind == Received::Kind::Error) {
            shared->status(StatusTransmission, std::wstring(string_text(ids::Error)));
            if (got.error == net::error::ConnectionReset)
                continue;
            break;
        }
        shared->status(StatusTransmission, printf_text(rx_format, {std::int64_t{got.bytes}}));
        if (got.bytes == 0)
            continue;
        const std::wstring text = to_wide(std::string_view(buffer.data(), got.bytes));
        const std::uint32_t window = reply_window_of(text).value_or(0);
        shared->call([&](Seat&, AnswerPoster& poster, TransportHooks&) {
            if (poster.is_own_window(window))
                poster.post_answer(window, text);
        });
    }
    // The close the main thread asked for happened here; a failure is told as it would be
    // there.
    if (const auto failure = connection->deferred_close_error())
        shared->box(ids::ClientError, ids::CloseSocketError, mb::Ok, {*failure});
    shared->thread_ended(false);
}

// Undoes a failed attempt on the record, if the attempt still owns it.
void drop_connection(Shared& shared, LoopEntry* entry, std::uint64_t attempt, bool forget_port) {
    std::lock_guard hold(shared.list.lock);
    if (!shared.owns(entry, attempt))
        return;
    if (forget_port)
        entry->local_port = kNoLocalPort;
    entry->connection.reset();
    entry->receiving = false;
    entry->link_ok = false;
    entry->user_name_feature = 0;
}

// `entry` and `attempt` were claimed when the attempt was asked for: a thread that starts late
// must not take the record from a newer attempt. The record is only ever touched under the
// Loop list lock and after checking that the attempt still owns it.
void connect(std::shared_ptr<Shared> shared, const ConnectRequest& request, LoopEntry* entry,
             std::uint64_t attempt) {
    Shared& s = *shared;
    const LoopEndpoint& endpoint = request.endpoint;
    if (!entry) {
        if (!request.quiet)
            s.box(ids::NoLoopConfiguration, ids::CiuMonitoringInformation, mb::IconInformation,
                  {endpoint.loop});
        return;
    }
    if (endpoint.remote_port == 0) {
        s.simulation = true;
        s.report(endpoint, true);
        s.status(StatusConnection, std::wstring(string_text(ids::DemoConfigurationInUse)));
        return;
    }
    auto owned_update = [&](auto&& change) {
        std::lock_guard hold(s.list.lock);
        if (!s.owns(entry, attempt))
            return false;
        change(*entry);
        return true;
    };
    owned_update([](LoopEntry& e) { e.last_lookup_error = kLookupPending; });
    if (!start_socket_layer(s, request.quiet)) {
        s.report(endpoint, false);
        return;
    }
    const HostLookup remote = look_up_host(s, endpoint.host);
    if (!remote.began) {
        s.report(endpoint, false);
        return;
    }
    if (!remote.found) {
        const bool missing = net::last_error() == net::error::ServiceNotFound;
        owned_update([&](LoopEntry& e) { e.last_lookup_error = missing ? kLookupPending : 0; });
        s.report(endpoint, false);
        return;
    }
    owned_update([](LoopEntry& e) { e.last_lookup_error = 0; });
    net::Socket socket = net::create_udp_socket();

    const std::uint16_t wanted = request.local_port ? request.local_port->load() : kNoLocalPort;
    owned_update([&](LoopEntry& e) { e.local_port = wanted; });
    const BindResult bound = bind_in_range(s, socket, wanted);
    if (bound.outcome != BindOutcome::Bound) {
        if (!request.quiet && bound.outcome == BindOutcome::Clash)
            s.box(ids::LocalPortClash, ids::SocketsError, mb::Ok);
        if (!request.quiet && bound.outcome == BindOutcome::Failed)
            s.box(ids::BindFailed, ids::SocketsError, mb::Ok,
                  {bound.error, endpoint.loop, endpoint.pcu, endpoint.host, endpoint.remote_port});
        if (socket)
            net::close_socket(socket);
        drop_connection(s, entry, attempt, true);
        s.report(endpoint, false);
        return;
    }
    if (request.local_port)
        request.local_port->store(bound.port);
    // From here on the socket belongs to the connection, whoever closes it.
    const auto connection = std::make_shared<Connection>(socket);
    if (!owned_update([&](LoopEntry& e) {
            e.local_port = bound.port;
            e.connection = connection;
        })) {
        connection->close(true);
        return;
    }
    if (!connection->connect_to(remote.address, static_cast<std::uint16_t>(endpoint.remote_port))) {
        const int failure = net::last_error();
        if (!request.quiet && !connection->closed())
            s.box(ids::ConnectFailed, ids::NetworkError, mb::Ok,
                  {failure, endpoint.loop, endpoint.pcu, endpoint.host, endpoint.remote_port});
        drop_connection(s, entry, attempt, false);
        connection->close(true);
        s.report(endpoint, false);
        return;
    }
    if (!owned_update([](LoopEntry& e) { e.receiving = true; })) {
        connection->close(true);
        return;
    }
    s.thread_started(false);
    try {
        std::thread(receive_loop, shared, connection).detach();
    } catch (const std::system_error&) {
        s.thread_ended(false);
        s.report(endpoint, false);
        return;
    }
    owned_update([](LoopEntry& e) { e.connstat_retries = 0; });
    s.call([&](Seat&, AnswerPoster&, TransportHooks& hooks) {
        if (hooks.send_first_requests)
            hooks.send_first_requests(endpoint);
    });
}

} // namespace

Transport::Transport(Seat& seat, AnswerPoster& poster, TransportHooks hooks)
    : shared_(std::make_shared<Shared>(seat, poster, std::move(hooks))) {}

Transport::~Transport() {
    shut_out(std::chrono::seconds(1));
    remove_all_entries();
}

void Transport::set_hooks(TransportHooks hooks) {
    std::lock_guard hold(shared_->gate);
    shared_->hooks = std::move(hooks);
}

void Transport::set_socket_layer(SocketLayer layer) {
    std::lock_guard hold(shared_->layer_lock);
    shared_->layer = std::move(layer);
}

LoopEntryList& Transport::entries() {
    return shared_->list;
}

bool Transport::add_entry(const LoopEndpoint& endpoint) {
    std::lock_guard hold(shared_->list.lock);
    if (shared_->find(endpoint))
        return false;
    LoopEntry& entry = shared_->list.entries.emplace_back();
    entry.loop = endpoint.loop;
    entry.pcu = endpoint.pcu;
    entry.remote_port = endpoint.remote_port;
    entry.host = endpoint.host;
    return true;
}

bool Transport::remove_entry(const LoopEndpoint& endpoint) {
    std::shared_ptr<Connection> connection;
    {
        std::lock_guard hold(shared_->list.lock);
        auto& entries = shared_->list.entries;
        const LoopEntry* found = shared_->find(endpoint);
        auto it = entries.begin();
        while (it != entries.end() && &*it != found)
            ++it;
        if (it == entries.end())
            return false;
        connection = shared_->take_connection(*it);
        shared_->attempts.erase(&*it);
        entries.erase(it);
    }
    // A record going away takes its socket with it.
    if (connection)
        connection->close(true);
    return true;
}

bool Transport::update_entry(const LoopEndpoint& endpoint,
                             const std::function<void(LoopEntry&)>& change) {
    std::lock_guard hold(shared_->list.lock);
    LoopEntry* entry = shared_->find(endpoint);
    if (!entry)
        return false;
    change(*entry);
    return true;
}

bool Transport::start_connection(ConnectRequest request) {
    LoopEntry* entry = nullptr;
    std::uint64_t attempt = 0;
    std::shared_ptr<Connection> previous;
    {
        std::lock_guard hold(shared_->list.lock);
        entry = shared_->find(request.endpoint);
        if (entry) {
            // A new attempt replaces whatever an older one left.
            previous = shared_->take_connection(*entry);
            attempt = shared_->attempts[entry];
        }
    }
    if (previous)
        previous->close(true);
    shared_->thread_started(true);
    try {
        std::thread(
            [](std::shared_ptr<Shared> shared, ConnectRequest request, LoopEntry* entry,
               std::uint64_t attempt) {
                connect(shared, request, entry, attempt);
                shared->thread_ended(true);
            },
            shared_, std::move(request), entry, attempt)
            .detach();
    } catch (const std::system_error&) {
        shared_->thread_ended(true);
        return false;
    }
    return true;
}

int Transport::send(Connection& connection, std::wstring_view request) {
    return connection.send(to_multibyte(request));
}

bool Transport::close_entry(const LoopEndpoint& endpoint, bool quiet) {
    std::shared_ptr<Connection> connection;
    {
        std::lock_guard hold(shared_->list.lock);
        LoopEntry* entry = shared_->find(endpoint);
        if (!entry)
            return false;
        if (shared_->simulation && entry->remote_port == 0) {
            shared_->simulation = false;
            return false;
        }
        // A Connect thread still working on the record lets it go.
        connection = shared_->take_connection(*entry);
    }
    if (!connection)
        return false;
    const Closing closing = connection->close(quiet);
    if (closing.closed_now && closing.error != 0 && !quiet)
        shared_->seat->message_box(ids::ClientError, ids::CloseSocketError, mb::Ok,
                                   {closing.error});
    return true;
}

void Transport::clean_up_socket_layer(bool quiet) {
    std::lock_guard hold(shared_->layer_lock);
    for (; shared_->startups > 0; --shared_->startups) {
        const int failure = shared_->layer.cleanup();
        if (failure != 0 && !quiet)
            shared_->seat->message_box(ids::WsaCleanupFailed, ids::NetworkError, mb::Ok, {failure});
    }
    shared_->layer_started = false;
    shared_->layer_attempted = false;
}

void Transport::remove_all_entries() {
    std::vector<std::shared_ptr<Connection>> connections;
    {
        std::lock_guard hold(shared_->list.lock);
        for (LoopEntry& entry : shared_->list.entries)
            connections.push_back(shared_->take_connection(entry));
        shared_->attempts.clear();
        shared_->list.entries.clear();
    }
    for (const auto& connection : connections) {
        if (connection)
            connection->close(true);
    }
}

bool Transport::simulation_mode() const {
    return shared_->simulation;
}

HostLookup Transport::look_up(std::wstring_view host) {
    return look_up_host(*shared_, host);
}

bool Transport::wait_for_connects(std::chrono::milliseconds bound) {
    std::unique_lock hold(shared_->gate);
    return shared_->changed.wait_for(hold, bound, [&] { return shared_->connecting == 0; });
}

bool Transport::wait_for_receivers(std::chrono::milliseconds bound) {
    std::unique_lock hold(shared_->gate);
    return shared_->changed.wait_for(hold, bound, [&] { return shared_->receiving == 0; });
}

bool Transport::shut_out(std::chrono::milliseconds bound) {
    std::unique_lock hold(shared_->gate);
    shared_->open = false;
    return shared_->changed.wait_for(hold, bound, [&] { return shared_->calls == 0; });
}

bool Transport::stop_workers(std::chrono::milliseconds bound) {
    const auto until = std::chrono::steady_clock::now() + bound;
    shut_out(bound);
    std::unique_lock hold(shared_->gate);
    return shared_->changed.wait_until(hold, until, [&] { return shared_->threads == 0; });
}

} // namespace brixtel
