#include "tools/zandor-sim/udp.h"

#include <winsock2.h>
#include <ws2tcpip.h>

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

SOCKET native(uintptr_t handle) {
    return static_cast<SOCKET>(handle);
}

} // namespace

SocketLayer::SocketLayer() {
    WSADATA data;
    ready_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLayer::~SocketLayer() {
    if (ready_)
        WSACleanup();
}

std::optional<UdpSocket> UdpSocket::bind(Endpoint local, std::string* error) {
    const SOCKET handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handle == INVALID_SOCKET) {
        *error = "socket: error " + std::to_string(WSAGetLastError());
        return std::nullopt;
    }
    UdpSocket socket(static_cast<uintptr_t>(handle), 0);
    const sockaddr_in address = socket_address(local);
    if (::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        *error = "bind " + text_of(local) + ": error " + std::to_string(WSAGetLastError());
        return std::nullopt;
    }
    sockaddr_in bound{};
    int size = sizeof bound;
    ::getsockname(handle, reinterpret_cast<sockaddr*>(&bound), &size);
    socket.port_ = ntohs(bound.sin_port);
    u_long non_blocking = 1;
    ::ioctlsocket(handle, FIONBIO, &non_blocking);
    // A client that went away must not make every later receive fail with a reset.
    BOOL report_resets = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(handle, _WSAIOW(IOC_VENDOR, 12), &report_resets, sizeof report_resets, nullptr, 0,
               &returned, nullptr, nullptr);
    return socket;
}

void UdpSocket::close() {
    if (handle_ != kNone)
        ::closesocket(native(handle_));
    handle_ = kNone;
}

bool UdpSocket::send_to(std::string_view bytes, Endpoint to) const {
    const sockaddr_in address = socket_address(to);
    return ::sendto(native(handle_), bytes.data(), static_cast<int>(bytes.size()), 0,
                    reinterpret_cast<const sockaddr*>(&address),
                    sizeof address) == static_cast<int>(bytes.size());
}

std::optional<Datagram> UdpSocket::receive() const {
    std::string buffer(65536, '\0');
    sockaddr_in from{};
    int size = sizeof from;
    const int count = ::recvfrom(native(handle_), buffer.data(), static_cast<int>(buffer.size()), 0,
                                 reinterpret_cast<sockaddr*>(&from), &size);
    if (count < 0)
        return std::nullopt;
    buffer.resize(static_cast<size_t>(count));
    return Datagram{std::move(buffer), {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)}};
}

std::vector<size_t> UdpSocket::wait_readable(const std::vector<const UdpSocket*>& sockets,
                                             int timeout_ms) {
    fd_set readable;
    FD_ZERO(&readable);
    for (const UdpSocket* socket : sockets)
        FD_SET(native(socket->handle_), &readable);
    timeval timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    std::vector<size_t> ready;
    if (sockets.empty() || ::select(0, &readable, nullptr, nullptr, &timeout) <= 0)
        return ready;
    for (size_t i = 0; i < sockets.size(); ++i)
        if (FD_ISSET(native(sockets[i]->handle_), &readable))
            ready.push_back(i);
    return ready;
}

} // namespace brixtel::zandor
