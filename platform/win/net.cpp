// Sockets over Windows Sockets 2. Host names are looked up with GetAddrInfoW: the name-space
// lookup service is missing on some systems, and this call reaches the same resolver.
#include "platform/net.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

namespace brixtel::net {
namespace {

SOCKET handle(Socket socket) {
    return static_cast<SOCKET>(socket);
}

sockaddr_in ipv4(std::uint32_t address, std::uint16_t port) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    return target;
}

bool name_not_found(int code) {
    return code == WSAHOST_NOT_FOUND || code == WSANO_DATA || code == WSATYPE_NOT_FOUND ||
           code == WSAEAFNOSUPPORT || code == WSAEINVAL;
}

} // namespace

int startup() {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data);
}

int cleanup() {
    return WSACleanup() == 0 ? 0 : WSAGetLastError();
}

int last_error() {
    return WSAGetLastError();
}

void set_last_error(int code) {
    WSASetLastError(code);
}

Lookup lookup_ipv4(std::wstring_view host) {
    Lookup result;
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    ADDRINFOW* found = nullptr;
    const std::wstring name(host);
    const int status = GetAddrInfoW(name.c_str(), nullptr, &hints, &found);
    if (status != 0 && !name_not_found(status)) {
        result.error = status;
        WSASetLastError(status);
        return result;
    }
    result.began = true;
    if (status != 0 || !found) {
        result.error = error::ServiceNotFound;
        WSASetLastError(result.error);
        return result;
    }
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    result.address = ntohl(address->sin_addr.s_addr);
    result.found = true;
    FreeAddrInfoW(found);
    return result;
}

Socket create_udp_socket() {
    const SOCKET created = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (created == INVALID_SOCKET)
        return 0;
    return static_cast<Socket>(created);
}

bool bind_any(Socket socket, std::uint16_t port) {
    const sockaddr_in local = ipv4(INADDR_ANY, port);
    return ::bind(handle(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool connect_to(Socket socket, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in remote = ipv4(address, port);
    return ::connect(handle(socket), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) ==
           0;
}

int send_bytes(Socket socket, std::string_view bytes) {
    const int sent = ::send(handle(socket), bytes.data(), static_cast<int>(bytes.size()), 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int receive_bytes(Socket socket, char* buffer, std::size_t size) {
    const int got = ::recv(handle(socket), buffer, static_cast<int>(size), 0);
    if (got != SOCKET_ERROR)
        return got;
    // A datagram socket hears of an ICMP port-unreachable from its peer (a server that was
    // down for a moment) on its next receive. Windows calls that 10054, Wine 10061; callers
    // know the first, and a receiver that took the second for a real failure would stop
    // listening until the connection is rebuilt.
    if (WSAGetLastError() == WSAECONNREFUSED)
        WSASetLastError(WSAECONNRESET);
    return -1;
}

int receive_from(Socket socket, char* buffer, std::size_t size, std::uint16_t* port) {
    sockaddr_in from{};
    int length = sizeof from;
    const int got = ::recvfrom(handle(socket), buffer, static_cast<int>(size), 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
    if (got == SOCKET_ERROR)
        return -1;
    if (port)
        *port = ntohs(from.sin_port);
    return got;
}

int send_to(Socket socket, std::uint32_t address, std::uint16_t port, std::string_view bytes) {
    const sockaddr_in target = ipv4(address, port);
    const int sent = ::sendto(handle(socket), bytes.data(), static_cast<int>(bytes.size()), 0,
                              reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return sent == SOCKET_ERROR ? -1 : sent;
}

bool set_receive_timeout(Socket socket, unsigned milliseconds) {
    const DWORD wait = milliseconds;
    return ::setsockopt(handle(socket), SOL_SOCKET, SO_RCVTIMEO,
                        reinterpret_cast<const char*>(&wait), sizeof wait) == 0;
}

void shutdown_both(Socket socket) {
    ::shutdown(handle(socket), SD_BOTH);
}

bool close_socket(Socket socket) {
    return ::closesocket(handle(socket)) == 0;
}

std::uint16_t local_port_of(Socket socket) {
    sockaddr_in local{};
    int size = sizeof local;
    if (::getsockname(handle(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return 0;
    return ntohs(local.sin_port);
}

} // namespace brixtel::net
