#pragma once
// Choosing the Loop entry a request goes out on, and the Simulation mode in which the program
// answers its own read requests.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/loop_entry.h"
#include "core/server_requests.h"

namespace brixtel {

class Seat;

// What the poll cycle needs of the loop connections. Called on the main thread, never with
// the Loop list lock held.
class LoopControl {
  public:
    virtual ~LoopControl() = default;
    virtual LoopEntryList& loop_entries() = 0;
    // True while the configuration is a simulation one (remote port 0): nothing is sent.
    virtual bool simulation_mode() const = 0;
    // Sends on a connection taken from an entry; bytes sent, or -1 (also once it is closed).
    virtual int send(Connection& connection, std::wstring_view request) = 0;
    // Closes the entry's connection and starts it again without message boxes.
    virtual void reconnect_quietly(const LoopEndpoint& entry) = 0;
    // A connstat answer's verdict on the entry's Link state.
    virtual void report_status(const LoopEndpoint& entry, bool ok) = 0;
    // A feature username answer's User-name feature state for the entry.
    virtual void report_feature(const LoopEndpoint& entry, std::int32_t state) = 0;
};

// The window answers are delivered to.
class ReplyWindow {
  public:
    virtual ~ReplyWindow() = default;
    // The handle requests name as their first field.
    virtual std::uint32_t handle() const = 0;
    virtual bool is_window(std::uint32_t handle) const = 0;
    // Posts an answer to `window` as a received one is posted; nothing posts an empty message.
    virtual void post_answer(std::uint32_t window, std::optional<std::wstring> answer) = 0;
};

// Composes the request with the given user suffix (empty or " from <user>"); nothing when
// it would not fit.
using RequestComposer = std::function<std::optional<std::wstring>(std::wstring_view suffix)>;

// Where a request is to go: read requests name no host and take any entry whose link is up;
// connstat and feature username requests name their entry's host.
struct RequestTarget {
    std::int32_t loop = 0;
    std::int32_t pcu = 0;
    std::optional<std::wstring> host;
};

// Which rule found the entry; it decides the status text.
enum class RoutePass { SameLoopAndPcu, SameLoop, LoopOne, AnyLoop };

// What a request needs of the entry it goes out on, copied while the Loop list lock is held:
// the entry itself may be closed or removed the moment the lock is let go.
struct Route {
    std::shared_ptr<Connection> connection;
    RoutePass pass = RoutePass::SameLoopAndPcu;
    std::int32_t entry_loop = 0;
    std::int32_t user_name_feature = 0;
};

// The first receiving entry that fits, by the passes in their order, each walking the list
// from its head. Takes the Loop list lock.
std::optional<Route> choose_route(LoopEntryList& entries, const RequestTarget& target);

// The transmit text for a pass.
std::wstring route_status_text(RoutePass pass, const RequestTarget& target,
                               std::int32_t entry_loop);

class RequestRouter {
  public:
    RequestRouter(LoopControl& loops, ReplyWindow& window, Seat& seat, std::wstring user_name);

    // Sends a request (or answers it in Simulation mode); false when it could not go out.
    // `simulation_value` is what a read request is answered with in Simulation mode.
    bool send_request(const RequestTarget& target, const RequestComposer& compose,
                      float simulation_value);

    // The status requests of a Loop entry; a connstat request shows its attempt first.
    bool send_connstat_request(const LoopEndpoint& entry);
    bool send_feature_username_request(const LoopEndpoint& entry);

    std::uint32_t reply_window() const { return window_.handle(); }

  private:
    bool simulate(const std::wstring& request, float simulation_value);

    LoopControl& loops_;
    ReplyWindow& window_;
    Seat& seat_;
    std::wstring suffix_;
};

// The status bar parts the cycle writes to.
namespace status_part {
inline constexpr int kMonitoring = 0;
inline constexpr int kTransmission = 4;
inline constexpr int kConnection = 5;
} // namespace status_part

} // namespace brixtel
