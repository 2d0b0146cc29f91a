// The little the simulator needs from the socket layer: IPv4 UDP sockets bound to a local
// address, send to and receive from any peer, wait on several at once. udp_posix.cpp and
// udp_win.cpp implement it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::zandor {

// IPv4 address and port, both in host order.
struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
    bool operator==(const Endpoint&) const = default;
};

inline constexpr uint32_t kLoopback = 0x7F000001;

std::optional<uint32_t> ipv4_of(std::string_view dotted);
std::string text_of(uint32_t address);
std::string text_of(Endpoint endpoint); // "127.0.0.1:5100"
inline bool is_loopback(uint32_t address) {
    return (address >> 24) == 127;
}

// Starts and ends the socket layer where the system needs that.
class SocketLayer {
  public:
    SocketLayer();
    ~SocketLayer();
    SocketLayer(const SocketLayer&) = delete;
    SocketLayer& operator=(const SocketLayer&) = delete;
    bool ready() const { return ready_; }

  private:
    bool ready_ = false;
};

struct Datagram {
    std::string bytes;
    Endpoint source;
};

class UdpSocket {
  public:
    // Port 0 lets the system choose; local_port() tells which.
    static std::optional<UdpSocket> bind(Endpoint local, std::string* error);
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    ~UdpSocket();

    uint16_t local_port() const { return port_; }
    bool send_to(std::string_view bytes, Endpoint to) const;
    // Without waiting; none when nothing is there or the peer reported an error.
    std::optional<Datagram> receive() const;

    // Waits up to `timeout_ms` until one of the sockets has a datagram; their indexes.
    static std::vector<size_t> wait_readable(const std::vector<const UdpSocket*>& sockets,
                                             int timeout_ms);

  private:
    explicit UdpSocket(uintptr_t handle, uint16_t port) : handle_(handle), port_(port) {}
    void close();

    static constexpr uintptr_t kNone = ~uintptr_t(0);
    uintptr_t handle_ = kNone;
    uint16_t port_ = 0;
};

} // namespace brixtel::zandor
