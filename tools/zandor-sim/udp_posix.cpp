#include "tools/zandor-sim/udp.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace brixtel::zandor {

namespace {

sockaddr_in socket_address(Endpoint endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.address);
    address.sin_port = htons(endpoint.port);
    return address;
}

} // namespace

SocketLayer::SocketLayer() : ready_(true) {}
SocketLayer::~SocketLayer() = default;

std::optional<UdpSocket> UdpSocket::bind(Endpoint local, std::string* error) {
    const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handle < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return std::nullopt;
    }
    UdpSocket socket(static_cast<uintptr_t>(handle), 0);
    const sockaddr_in address = socket_address(local);
    if (::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        *error = "bind " + text_of(local) + ": " + std::strerror(errno);
        return std::nullopt;
    }
    sockaddr_in bound{};
    socklen_t size = sizeof bound;
    ::getsockname(handle, reinterpret_cast<sockaddr*>(&bound), &size);
    socket.port_ = ntohs(bound.sin_port);
    ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) | O_NONBLOCK);
    return socket;
}

void UdpSocket::close() {
    if (handle_ != kNone)
        ::close(static_cast<int>(handle_));
    handle_ = kNone;
}

bool UdpSocket::send_to(std::string_view bytes, Endpoint to) const {
    const sockaddr_in address = socket_address(to);
    return ::sendto(static_cast<int>(handle_), bytes.data(), bytes.size(), 0,
                    reinterpret_cast<const sockaddr*>(&address),
                    sizeof address) == static_cast<ssize_t>(bytes.size());
}

std::optional<Datagram> UdpSocket::receive() const {
    std::string buffer(65536, '\0');
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t count = ::recvfrom(static_cast<int>(handle_), buffer.data(), buffer.size(), 0,
                                     reinterpret_cast<sockaddr*>(&from), &size);
    if (count < 0)
        return std::nullopt;
    buffer.resize(static_cast<size_t>(count));
    return Datagram{std::move(buffer), {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)}};
}

std::vector<size_t> UdpSocket::wait_readable(const std::vector<const UdpSocket*>& sockets,
                                             int timeout_ms) {
    std::vector<pollfd> polled;
    for (const UdpSocket* socket : sockets)
        polled.push_back({static_cast<int>(socket->handle_), POLLIN, 0});
    std::vector<size_t> ready;
    if (::poll(polled.data(), polled.size(), timeout_ms) <= 0)
        return ready;
    for (size_t i = 0; i < polled.size(); ++i)
        if (polled[i].revents != 0)
            ready.push_back(i);
    return ready;
}

} // namespace brixtel::zandor
