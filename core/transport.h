#pragma once
// UDP transport to the Zandor servers: one connected datagram socket per Loop entry, set up by
// a Connect thread (name lookup, bind within the local port range, connect) and read by a
// Receive thread that hands each datagram to the window its first token names.
//
// Worker threads reach the program only through the Seat, the AnswerPoster and the hooks, and
// only until shut_out(); the Seat and the poster must therefore be safe to call from any thread
// and must never wait for the main thread. After shut_out() the threads touch nothing but the
// transport's own shared state, which lives until the last of them ends, so the program need
// not wait for a Connect thread that hangs in a name lookup.
#include "core/loop_entry.h"
#include "core/server_requests.h"
#include "platform/net.h"
#include "settings/settings.h"
#include "shell/seat.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace brixtel {

// Delivers received answers to the program's windows.
class AnswerPoster {
  public:
    virtual ~AnswerPoster() = default;
    // True only for a window of this process; any other handle counts as no window.
    virtual bool is_own_window(std::uint32_t window) = 0;
    // Posts a copy of the text to the window as WM_USER; false when it could not be posted.
    virtual bool post_answer(std::uint32_t window, std::wstring_view text) = 0;
};

// Big enough for any UDP datagram, so a long answer arrives whole instead of ending the
// Receive thread.
inline constexpr std::size_t kReceiveBufferBytes = 65536;

// What the transport needs from the loop configuration and the poll cycle. Each may be called
// on a Connect thread.
struct TransportHooks {
    // The status update of a Loop entry (Link state, time of the last report).
    std::function<void(const LoopEndpoint&, bool ok)> report_status;
    // True when some configuration entry holds the port as its local port.
    std::function<bool(std::uint16_t)> local_port_in_use;
    std::function<PortRange()> port_range;
    // Sends the first connstat and feature username requests of a freshly connected entry.
    std::function<void(const LoopEndpoint&)> send_first_requests;
};

// One connection attempt. The local port is shared with the configuration entry: in, the
// wanted port or kNoLocalPort; out, the port bound.
struct ConnectRequest {
    LoopEndpoint endpoint;
    std::shared_ptr<std::atomic<std::uint16_t>> local_port;
    bool quiet = false; // no message boxes (name-service failures excepted)
};

// The system's socket layer as the transport starts and cleans it up: net::startup and
// net::cleanup unless replaced, so that a failing start-up or clean-up can be tried anywhere.
struct SocketLayer {
    std::function<int()> startup = net::startup; // 0 or the error
    std::function<int()> cleanup = net::cleanup; // 0 or the error
};

// The outcome of a name lookup as the transport uses it.
struct HostLookup {
    bool began = false; // false: the name service could not be asked (message 220 shown)
    bool found = false;
    std::uint32_t address = 0; // IPv4, host byte order
};

class Transport {
  public:
    Transport(Seat& seat, AnswerPoster& poster, TransportHooks hooks = {});
    ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    void set_hooks(TransportHooks hooks);
    // Before the first connection.
    void set_socket_layer(SocketLayer layer);

    // The Loop entry list shared with the poll cycle.
    LoopEntryList& entries();

    // Appends a zeroed record for the endpoint; false (and nothing added) when it exists.
    bool add_entry(const LoopEndpoint& endpoint);
    // Unlinks and frees the record; threads still working on it let it go.
    bool remove_entry(const LoopEndpoint& endpoint);
    // Runs `change` on the record under the Loop list lock; false when there is none.
    bool update_entry(const LoopEndpoint& endpoint, const std::function<void(LoopEntry&)>& change);

    // Starts a Connect thread; the outcome arrives through the record and report_status.
    bool start_connection(ConnectRequest request);
    // The request in the OEM code page, without terminator; bytes sent or -1.
    static int send(Connection& connection, std::wstring_view request);
    // Closes the entry's socket; false when there was none (or it was the simulation entry).
    // A failed close shows message 11 unless quiet: the program's own shut-down tells nobody.
    bool close_entry(const LoopEndpoint& endpoint, bool quiet);
    // One clean-up per successful start-up of the socket layer; message 143 per failure
    // unless quiet.
    void clean_up_socket_layer(bool quiet);
    // Frees every record.
    void remove_all_entries();

    bool simulation_mode() const;

    // Name lookup as the Connect thread does it: message 220 when the name service cannot be
    // asked; a name that does not resolve is not found, with last error 10108.
    HostLookup look_up(std::wstring_view host);

    // Waits until no Connect thread runs (tests).
    bool wait_for_connects(std::chrono::milliseconds bound);
    // Waits until no Receive thread runs: their sockets are closed by then.
    bool wait_for_receivers(std::chrono::milliseconds bound);
    // From now on worker threads call nothing back; waits up to `bound` for the calls already
    // under way (never for the threads themselves).
    bool shut_out(std::chrono::milliseconds bound);
    // shut_out, then waits up to `bound` for every worker thread to end (tests).
    bool stop_workers(std::chrono::milliseconds bound);

    struct Shared;

  private:
    std::shared_ptr<Shared> shared_;
};

} // namespace brixtel
