#pragma once
// The loop configuration: which Zandor server (host and remote port) answers for which loop
// and PCU, kept as the configuration list (ordered by loop, PCU, host) in step with the
// transport's Loop entry list (in creation order). It comes from a hyperdocument title or
// from the "LoopEntries" registry key.
#include "core/loop_entry.h"
#include "core/server_requests.h"
#include "core/transport.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "shell/seat.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brixtel {

// When a status was last reported: whole seconds of the clock and their milliseconds.
struct StatusTime {
    std::int64_t seconds = 0;
    std::int32_t milliseconds = 0;
};
using StatusClock = std::function<StatusTime()>;
StatusTime system_status_time();

// An entry not reported for longer than this turns BAD when another one reports.
inline constexpr std::int64_t kStatusStaleMs = 20000;

struct ConfigurationEntry {
    std::int32_t loop = 0;
    std::int32_t pcu = -1; // -1: every PCU of the loop
    std::int32_t remote_port = 0;
    // Shared with the Connect thread, which writes the port it bound.
    std::shared_ptr<std::atomic<std::uint16_t>> local_port =
        std::make_shared<std::atomic<std::uint16_t>>(kNoLocalPort);
    std::wstring host;
    bool link_ok = false;
    bool kept = false; // used while the Live Loop Setup applies its list
    StatusTime last_status;
    std::uintptr_t tree_item = 0; // the entry's item in the open Live Loop Setup, or 0
    std::int32_t user_name_feature = 0;

    LoopEndpoint endpoint() const { return {loop, pcu, host, remote_port}; }
    std::uint16_t bound_port() const { return local_port->load(); }
};

// The open Live Loop Setup dialog's view of the Link states.
class LinkStateView {
  public:
    virtual ~LinkStateView() = default;
    virtual void show_link_state(std::uintptr_t tree_item, bool ok) = 0;
};

class LoopConfiguration {
  public:
    LoopConfiguration(Seat& seat, AnswerPoster& poster, Registry& registry,
                      StatusClock clock = system_status_time);
    ~LoopConfiguration();
    LoopConfiguration(const LoopConfiguration&) = delete;
    LoopConfiguration& operator=(const LoopConfiguration&) = delete;

    Transport& transport() { return transport_; }
    LoopEntryList& loop_entries() { return transport_.entries(); }

    void set_port_range(PortRange range);
    PortRange port_range() const;
    // Called on the Connect thread once an entry is connected: the first connstat and
    // feature username requests.
    void set_first_requests(std::function<void(const LoopEndpoint&)> send);
    // Set while the Live Loop Setup dialog is open; null when it closes.
    void set_link_state_view(LinkStateView* view);

    // First start: reads the initialisation file's entries and keeps them, all of them as
    // read, for the load that follows. "LoopEntries" cannot stand in for them, as Simulation
    // entries (remote port 0) are never stored.
    void read_first_start_entries(PrivateProfile& profile);
    // Those entries until the configuration is loaded; empty on a normal start.
    std::vector<StoredLoopEntry> first_start_entries() const;

    // From the title's information string; without one (no title, or the title would not
    // tell) from the registry, or from the entries a first start read. An empty information
    // string configures nothing.
    void load_configuration(const std::optional<std::string>& title_information,
                            PrivateProfile& profile);
    // Adds and starts the entries of "LoopEntries", or those a first start read.
    void load_from_registry(PrivateProfile& profile);

    // The configuration list, main thread only.
    const std::list<ConfigurationEntry>& entries() const { return entries_; }
    std::list<ConfigurationEntry>& entries() { return entries_; }
    bool empty() const { return entries_.empty(); }
    bool title_configuration_active() const { return title_active_; }

    ConfigurationEntry& add_entry(std::int32_t loop, std::int32_t pcu, std::wstring host,
                                  std::int32_t remote_port);
    void start_entry(ConfigurationEntry& entry, bool quiet);
    void report_status(const LoopEndpoint& endpoint, bool ok);
    void report_feature_state(const LoopEndpoint& endpoint, std::int32_t state);
    void reconnect(const LoopEndpoint& endpoint);
    // Closes and drops the transport twin, takes the entry out of "LoopEntries" when asked
    // (never while the configuration came from a title), and unlinks the entry.
    void remove_entry(ConfigurationEntry& entry, bool also_from_registry);
    // Rewrites "LoopEntries" from the list; skipped for a title configuration.
    bool save_all();
    void shut_down_all(bool clean_up_sockets);
    bool local_port_in_use(std::uint16_t port) const;

    // Closes the entry's connection and drops its transport twin, so that no connstat tick
    // reconnects it, but keeps the entry configured (Link state BAD); its stored value goes
    // too when asked (never for a title configuration).
    void close_entry(ConfigurationEntry& entry, bool also_from_registry);
    // The Link state as the last report left it.
    bool link_state(const ConfigurationEntry& entry) const;
    // The entry's item in the open Live Loop Setup dialog (0: none).
    void set_tree_item(ConfigurationEntry& entry, std::uintptr_t item);

  private:
    void load_title_or_stored(const std::optional<std::string>& title_information,
                              PrivateProfile& profile);
    ConfigurationEntry* find(const LoopEndpoint& endpoint);
    void close_twin(const LoopEndpoint& endpoint);
    void remove_from_registry(const ConfigurationEntry& entry);

    Seat& seat_;
    Registry& registry_;
    StatusClock clock_;
    mutable std::mutex lock_; // the list's structure and the fields Connect threads report
    std::list<ConfigurationEntry> entries_;
    PortRange ports_;
    bool title_active_ = false;
    std::optional<std::vector<StoredLoopEntry>> first_start_entries_;
    LinkStateView* view_ = nullptr;
    std::function<void(const LoopEndpoint&)> first_requests_;
    Transport transport_; // last: its threads call back into the members above
};

} // namespace brixtel
