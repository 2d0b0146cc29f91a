#pragma once
// One connected UDP socket, shared by everyone who uses it: its Loop entry, a request on its
// way out, the Receive thread. The handle is closed exactly once, and never while a receive
// is inside the system with it: close() closes at once when no receive runs, else the
// receiver closes it as it comes back (a receive gives up after kReceivePollMs at the latest).
// So no one ever uses a handle after it was closed, and a number the system hands out again
// for a new socket never reaches the old one's users.
#include "platform/net.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

namespace brixtel {

// How long a receive waits before it looks whether the connection was closed meanwhile.
inline constexpr unsigned kReceivePollMs = 50;
// The wait once the peer's port was found unreachable (the server was down a moment). Under
// Wine a socket that met that error no longer wakes its receiver when a datagram arrives, only
// when the wait ends, so every answer would then lie unread for up to kReceivePollMs: a short
// wait bounds that delay, at the cost of a few hundred empty wake-ups a second.
inline constexpr unsigned kReceivePollAfterResetMs = 5;

struct Received {
    enum class Kind {
        Datagram, // `bytes` bytes arrived (a datagram longer than the buffer fills it)
        Idle,     // nothing arrived in time
        Error,    // the receive failed with `error`
        Closed,   // the connection was closed
    };
    Kind kind = Kind::Idle;
    int bytes = 0;
    int error = 0;
};

// The outcome of close().
struct Closing {
    bool closed_now = false; // else the receiver closes the handle when its receive returns
    int error = 0;           // closing now failed with this error
};

class Connection {
  public:
    // Takes over a bound socket.
    explicit Connection(net::Socket socket);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool connect_to(std::uint32_t address, std::uint16_t port);
    std::uint16_t local_port() const;
    // Bytes sent, or -1 (also once closed).
    int send(std::string_view bytes);
    // One receive; Closed as soon as close() was called. After a reset (the peer's port was
    // unreachable) later receives wait kReceivePollAfterResetMs at the most.
    Received receive(char* buffer, std::size_t size);
    // How long a receive waits at the most, in milliseconds.
    unsigned receive_wait_ms() const;
    // From any thread; later calls do nothing. A quiet close never reports a failure, also
    // not one of the receiver's close.
    Closing close(bool quiet);
    bool closed() const;
    // True once the handle is closed (by close() or by the receiver).
    bool handle_closed() const;
    // The error of a close the receiver did for a close() that was not quiet; nothing before
    // that or when it succeeded.
    std::optional<int> deferred_close_error() const;

  private:
    int close_handle_locked();

    mutable std::mutex lock_;
    net::Socket socket_;
    bool closed_ = false;
    bool receiving_ = false;
    bool handle_closed_ = false;
    bool quiet_close_ = false;
    unsigned receive_wait_ms_ = kReceivePollMs;
    std::optional<int> deferred_error_;
};

} // namespace brixtel
