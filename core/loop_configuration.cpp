#include "core/loop_configuration.h"

#include "core/title_info.h"
#include "settings/loop_entries.h"
#include "settings/registry_values.h"
#include "settings/settings_store.h"

#include <chrono>
#include <cstdlib>
#include <utility>
#include <vector>

namespace brixtel {
namespace {

constexpr std::size_t kEntryCharacters = 256;
// How long shutting down waits for a worker's call back into the program to return.
constexpr std::chrono::milliseconds kCallBound{500};
// How long shutting down waits for the Receive threads of closed connections: each comes
// back from its receive within the poll interval.
constexpr std::chrono::milliseconds kReceiverBound{4 * kReceivePollMs};

std::int64_t distance_ms(const StatusTime& a, const StatusTime& b) {
    return std::llabs(a.seconds - b.seconds) * 1000 + std::abs(a.milliseconds - b.milliseconds);
}

bool same_key(const ConfigurationEntry& entry, const LoopEndpoint& endpoint) {
    return entry.loop == endpoint.loop && entry.pcu == endpoint.pcu &&
           entry.host == endpoint.host && entry.remote_port == endpoint.remote_port;
}

// Ascending by loop, then PCU (-1 first), then host.
bool goes_before(const ConfigurationEntry& entry, std::int32_t loop, std::int32_t pcu,
                 const std::wstring& host) {
    if (entry.loop != loop)
        return loop < entry.loop;
    if (entry.pcu != pcu)
        return pcu < entry.pcu;
    return host < entry.host;
}

std::wstring entry_value_name(std::uint32_t number) {
    return std::wstring(values::LoopEntryPrefix) + std::to_wstring(number);
}

} // namespace

StatusTime system_status_time() {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return {now / 1000, static_cast<std::int32_t>(now % 1000)};
}

LoopConfiguration::LoopConfiguration(Seat& seat, AnswerPoster& poster, Registry& registry,
                                     StatusClock clock)
    : seat_(seat), registry_(registry), clock_(std::move(clock)), transport_(seat, poster) {
    TransportHooks hooks;
    hooks.report_status = [this](const LoopEndpoint& endpoint, bool ok) {
        report_status(endpoint, ok);
    };
    hooks.local_port_in_use = [this](std::uint16_t port) { return local_port_in_use(port); };
    hooks.port_range = [this] { return port_range(); };
    hooks.send_first_requests = [this](const LoopEndpoint& endpoint) {
        std::function<void(const LoopEndpoint&)> send;
        {
            std::lock_guard hold(lock_);
            send = first_requests_;
        }
        if (send)
            send(endpoint);
    };
    transport_.set_hooks(std::move(hooks));
}

LoopConfiguration::~LoopConfiguration() {
    transport_.shut_out(kCallBound);
}

void LoopConfiguration::set_port_range(PortRange range) {
    std::lock_guard hold(lock_);
    ports_ = range;
}

PortRange LoopConfiguration::port_range() const {
    std::lock_guard hold(lock_);
    return ports_;
}

void LoopConfiguration::set_first_requests(std::function<void(const LoopEndpoint&)> send) {
    std::lock_guard hold(lock_);
    first_requests_ = std::move(send);
}

void LoopConfiguration::set_link_state_view(LinkStateView* view) {
    std::lock_guard hold(lock_);
    view_ = view;
}

void LoopConfiguration::read_first_start_entries(PrivateProfile& profile) {
    first_start_entries_ = read_stored_loop_entries(registry_, profile);
}

std::vector<StoredLoopEntry> LoopConfiguration::first_start_entries() const {
    return first_start_entries_.value_or(std::vector<StoredLoopEntry>{});
}

void LoopConfiguration::load_configuration(const std::optional<std::string>& title_information,
                                           PrivateProfile& profile) {
    load_title_or_stored(title_information, profile);
    // A title configuration leaves the first start's entries to the registry they were
    // written to; later loads read the registry.
    first_start_entries_.reset();
}

void LoopConfiguration::load_title_or_stored(const std::optional<std::string>& title_information,
                                             PrivateProfile& profile) {
    if (!title_information) {
        load_from_registry(profile);
        return;
    }
    if (title_information->empty())
        return;
    title_active_ = false;
    for (const TitleLoopEntry& entry : parse_title_information(*title_information)) {
        title_active_ = true;
        add_entry(entry.loop, entry.pcu, entry.host, entry.remote_port);
    }
    if (!title_active_) {
        load_from_registry(profile);
        return;
    }
    for (ConfigurationEntry& entry : entries_)
        start_entry(entry, false);
}

void LoopConfiguration::load_from_registry(PrivateProfile& profile) {
    std::vector<StoredLoopEntry> stored_entries =
        first_start_entries_ ? std::move(*first_start_entries_)
                             : read_stored_loop_entries(registry_, profile);
    first_start_entries_.reset();
    for (const StoredLoopEntry& stored : stored_entries) {
        ConfigurationEntry& entry = add_entry(stored.loop, stored.pcu, stored.host,
                                              static_cast<std::int32_t>(stored.remote_port));
        start_entry(entry, false);
    }
}

ConfigurationEntry& LoopConfiguration::add_entry(std::int32_t loop, std::int32_t pcu,
                                                 std::wstring host, std::int32_t remote_port) {
    transport_.add_entry({loop, pcu, host, remote_port});
    std::lock_guard hold(lock_);
    auto place = entries_.begin();
    while (place != entries_.end() && !goes_before(*place, loop, pcu, host))
        ++place;
    ConfigurationEntry entry;
    entry.loop = loop;
    entry.pcu = pcu;
    entry.host = std::move(host);
    entry.remote_port = remote_port;
    return *entries_.insert(place, std::move(entry));
}

void LoopConfiguration::start_entry(ConfigurationEntry& entry, bool quiet) {
    const LoopEndpoint endpoint = entry.endpoint();
    if (!transport_.add_entry(endpoint))
        transport_.close_entry(endpoint, false);
    transport_.start_connection({endpoint, entry.local_port, quiet});
}

ConfigurationEntry* LoopConfiguration::find(const LoopEndpoint& endpoint) {
    for (ConfigurationEntry& entry : entries_) {
        if (same_key(entry, endpoint))
            return &entry;
    }
    return nullptr;
}

void LoopConfiguration::report_status(const LoopEndpoint& endpoint, bool ok) {
    struct Shown {
        std::uintptr_t item;
        bool ok;
    };
    std::vector<Shown> shown;
    std::vector<LoopEndpoint> stale;
    LinkStateView* view = nullptr;
    {
        std::lock_guard hold(lock_);
        ConfigurationEntry* reported = find(endpoint);
        if (!reported)
            return;
        view = view_;
        reported->link_ok = ok;
        const StatusTime now = clock_();
        reported->last_status = now;
        for (ConfigurationEntry& entry : entries_) {
            if (distance_ms(entry.last_status, now) <= kStatusStaleMs)
                continue;
            entry.link_ok = false;
            stale.push_back(entry.endpoint());
            if (entry.tree_item)
                shown.push_back({entry.tree_item, false});
        }
        if (reported->tree_item)
            shown.push_back({reported->tree_item, ok});
    }
    transport_.update_entry(endpoint, [ok](LoopEntry& twin) {
        twin.link_ok = ok;
        twin.connstat_retries = 0;
    });
    for (const LoopEndpoint& old : stale)
        transport_.update_entry(old, [](LoopEntry& twin) { twin.link_ok = false; });
    // The dialog is told outside the lock: it may live on another thread.
    if (view) {
        for (const Shown& item : shown)
            view->show_link_state(item.item, item.ok);
    }
}

void LoopConfiguration::report_feature_state(const LoopEndpoint& endpoint, std::int32_t state) {
    {
        std::lock_guard hold(lock_);
        if (ConfigurationEntry* entry = find(endpoint))
            entry->user_name_feature = state;
    }
    transport_.update_entry(endpoint, [state](LoopEntry& twin) { twin.user_name_feature = state; });
}

void LoopConfiguration::close_twin(const LoopEndpoint& endpoint) {
    transport_.close_entry(endpoint, false);
    transport_.remove_entry(endpoint);
}

void LoopConfiguration::reconnect(const LoopEndpoint& endpoint) {
    ConfigurationEntry* entry = find(endpoint);
    if (!entry)
        return;
    entry->kept = true;
    close_twin(endpoint);
    start_entry(*entry, true);
}

void LoopConfiguration::remove_entry(ConfigurationEntry& entry, bool also_from_registry) {
    close_twin(entry.endpoint());
    if (also_from_registry && !title_active_)
        remove_from_registry(entry);
    std::lock_guard hold(lock_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (&*it == &entry) {
            entries_.erase(it);
            return;
        }
    }
}

// The first stored value with the entry's fields goes; the later ones move one number down.
void LoopConfiguration::remove_from_registry(const ConfigurationEntry& entry) {
    std::uint32_t count = 0;
    {
        auto key =
            registry_.open(RegistryRoot::CurrentUser, keys::LoopEntries, RegistryAccess::Read);
        if (!key || !read_number(*key, values::NumberOfLoopEntries, count))
            return;
    }
    MemoryProfile no_profile;
    auto stored_text = [&](std::uint32_t number) {
        return read_loop_entry(registry_, no_profile, entry_value_name(number), L"",
                               kEntryCharacters);
    };
    std::uint32_t match = 0;
    for (std::uint32_t i = 1; i <= count && match == 0; ++i) {
        const auto parsed = parse_loop_entry_text(stored_text(i));
        if (parsed && parsed->loop == entry.loop && parsed->pcu == entry.pcu &&
            parsed->remote_port == static_cast<std::uint32_t>(entry.remote_port) &&
            parsed->host == entry.host)
            match = i;
    }
    if (match == 0)
        return;
    for (std::uint32_t i = match; i < count; ++i) {
        const std::wstring later = stored_text(i + 1);
        write_loop_entry(registry_, entry_value_name(i), std::wstring_view(later));
    }
    write_loop_entry(registry_, entry_value_name(count), std::nullopt);
    write_loop_entry_count(registry_, count - 1);
}

bool LoopConfiguration::save_all() {
    if (title_active_)
        return true;
    std::vector<StoredLoopEntry> stored;
    for (const ConfigurationEntry& entry : entries_)
        stored.push_back(
            {entry.loop, entry.pcu, static_cast<std::uint32_t>(entry.remote_port), entry.host});
    return save_all_loop_entries(registry_, seat_, stored);
}

// The program is going away: a socket that will not close or a socket layer that will not
// clean up is no longer anyone's business, so nothing is shown.
void LoopConfiguration::shut_down_all(bool clean_up_sockets) {
    // The workers first: from here on none of them shows a box or touches the program, while
    // the sockets and the socket layer go away under them.
    transport_.shut_out(kCallBound);
    for (ConfigurationEntry& entry : entries_) {
        transport_.close_entry(entry.endpoint(), true);
        entry.local_port->store(kNoLocalPort);
    }
    {
        std::lock_guard hold(lock_);
        entries_.clear();
    }
    transport_.remove_all_entries();
    // Their handles closed before the layer goes; a Connect thread is not waited for.
    transport_.wait_for_receivers(kReceiverBound);
    if (clean_up_sockets)
        transport_.clean_up_socket_layer(true);
}

void LoopConfiguration::close_entry(ConfigurationEntry& entry, bool also_from_registry) {
    close_twin(entry.endpoint());
    if (also_from_registry && !title_active_)
        remove_from_registry(entry);
    std::lock_guard hold(lock_);
    entry.link_ok = false;
}

bool LoopConfiguration::link_state(const ConfigurationEntry& entry) const {
    std::lock_guard hold(lock_);
    return entry.link_ok;
}

void LoopConfiguration::set_tree_item(ConfigurationEntry& entry, std::uintptr_t item) {
    std::lock_guard hold(lock_);
    entry.tree_item = item;
}

bool LoopConfiguration::local_port_in_use(std::uint16_t port) const {
    std::lock_guard hold(lock_);
    for (const ConfigurationEntry& entry : entries_) {
        if (entry.bound_port() == port)
            return true;
    }
    return false;
}

} // namespace brixtel
