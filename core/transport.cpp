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
        connecting += connect ? 1 : 0;
    }
    void thread_ended(bool connect) {
        std::lock_guard hold(gate);
        --threads;
        connecting -= connect ? 1 : 0;
        changed.notify_all();
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

void receive_loop(std::shared_ptr<Shared> shared, LoopEntry* entry, std::uint64_t attempt,
                  net::Socket socket) {
    std::vector<char> buffer(kReceiveBufferBytes);
    const std::wstring rx_format(string_text(ids::RxBytes));
    for (;;) {
        {
            std::lock_guard hold(shared->list.lock);
            if (!shared->owns(entry, attempt) || !entry->receiving)
                break;
        }
        int got = net::receive_bytes(socket, buffer.data(), buffer.size());
        const int failure = got < 0 ? net::last_error() : 0;
        // A datagram too long for the buffer keeps the part that arrived.
        if (failure == net::error::MessageSize)
            got = static_cast<int>(buffer.size());
        if (got < 0) {
            shared->status(StatusTransmission, std::wstring(string_text(ids::Error)));
            if (failure == net::error::WouldBlock || failure == net::error::ConnectionReset)
                continue;
            break;
        }
        shared->status(StatusTransmission, printf_text(rx_format, {std::int64_t{got}}));
        if (got == 0)
            continue;
        const std::wstring text = to_wide(std::string_view(buffer.data(), got));
        const std::uint32_t window = reply_window_of(text).value_or(0);
        shared->call([&](Seat&, AnswerPoster& poster, TransportHooks&) {
            if (poster.is_own_window(window))
                poster.post_answer(window, text);
        });
    }
    shared->thread_ended(false);
}

// Undoes a failed attempt on the record, if the attempt still owns it.
void drop_connection(Shared& shared, LoopEntry* entry, std::uint64_t attempt, bool forget_port) {
    std::lock_guard hold(shared.list.lock);
    if (!shared.owns(entry, attempt))
        return;
    if (forget_port)
        entry->local_port = kNoLocalPort;
    entry->socket = 0;
    entry->link_ok = false;
    entry->user_name_feature = 0;
}

void connect(std::shared_ptr<Shared> shared, const ConnectRequest& request) {
    Shared& s = *shared;
    const LoopEndpoint& endpoint = request.endpoint;
    LoopEntry* entry = nullptr;
    std::uint64_t attempt = 0;
    {
        std::lock_guard hold(s.list.lock);
        entry = s.find(endpoint);
        if (entry) {
            attempt = ++s.next_attempt;
            s.attempts[entry] = attempt;
        }
    }
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
    if (!owned_update([&](LoopEntry& e) {
            e.local_port = bound.port;
            e.socket = socket;
        })) {
        net::close_socket(socket);
        return;
    }
    if (!net::connect_to(socket, remote.address,
                         static_cast<std::uint16_t>(endpoint.remote_port))) {
        const int failure = net::last_error();
        if (!request.quiet)
            s.box(ids::ConnectFailed, ids::NetworkError, mb::Ok,
                  {failure, endpoint.loop, endpoint.pcu, endpoint.host, endpoint.remote_port});
        net::close_socket(socket);
        drop_connection(s, entry, attempt, false);
        s.report(endpoint, false);
        return;
    }
    if (!owned_update([](LoopEntry& e) { e.receiving = true; })) {
        net::close_socket(socket);
        return;
    }
    s.thread_started(false);
    try {
        std::thread(receive_loop, shared, entry, attempt, socket).detach();
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
    stop_workers(std::chrono::seconds(2));
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
    std::lock_guard hold(shared_->list.lock);
    auto& entries = shared_->list.entries;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (&*it == shared_->find(endpoint)) {
            shared_->attempts.erase(&*it);
            entries.erase(it);
            return true;
        }
    }
    return false;
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
    shared_->thread_started(true);
    try {
        std::thread(
            [](std::shared_ptr<Shared> shared, ConnectRequest request) {
                connect(shared, request);
                shared->thread_ended(true);
            },
            shared_, std::move(request))
            .detach();
    } catch (const std::system_error&) {
        shared_->thread_ended(true);
        return false;
    }
    return true;
}

int Transport::send(const LoopEntry& entry, std::wstring_view request) {
    if (!entry.socket)
        return -1;
    return net::send_bytes(entry.socket, to_multibyte(request));
}

bool Transport::close_entry(const LoopEndpoint& endpoint, bool quiet) {
    net::Socket socket = 0;
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
        shared_->attempts[entry] = ++shared_->next_attempt;
        if (!entry->socket)
            return false;
        entry->receiving = false;
        socket = entry->socket;
        entry->socket = 0;
        entry->link_ok = false;
        entry->user_name_feature = 0;
    }
    net::shutdown_both(socket);
    if (!net::close_socket(socket) && !quiet)
        shared_->seat->message_box(ids::ClientError, ids::CloseSocketError, mb::Ok,
                                   {net::last_error()});
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
    std::lock_guard hold(shared_->list.lock);
    shared_->attempts.clear();
    shared_->list.entries.clear();
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

bool Transport::stop_workers(std::chrono::milliseconds bound) {
    std::unique_lock hold(shared_->gate);
    shared_->open = false;
    return shared_->changed.wait_for(hold, bound,
                                     [&] { return shared_->calls == 0 && shared_->threads == 0; });
}

} // namespace brixtel
