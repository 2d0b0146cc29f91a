// Sockets over the POSIX interface. A descriptor is kept as descriptor + 1 so that 0 still
// means "no socket"; errno values are turned into the Windows Sockets numbers.
#include "platform/net.h"

#include "platform/text.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace brixtel::net {
namespace {

thread_local int g_last_error = 0;

int descriptor(Socket socket) {
    return static_cast<int>(socket) - 1;
}

int winsock_code(int errno_value) {
    switch (errno_value) {
    case EINTR:
        return error::Interrupted;
    case EBADF:
        return error::BadHandle;
    case EACCES:
    case EPERM:
        return error::AccessDenied;
    case EFAULT:
        return error::Fault;
    case EINVAL:
        return error::InvalidArgument;
    case EAGAIN:
        return error::WouldBlock;
    case ENOTSOCK:
        return error::NotSocket;
    case EMSGSIZE:
        return error::MessageSize;
    case EADDRINUSE:
        return error::AddressInUse;
    case EADDRNOTAVAIL:
        return error::AddressNotAvailable;
    case ENETUNREACH:
        return error::NetworkUnreachable;
    // A connected UDP socket learns of an unreachable port this way; Windows says "reset".
    case ECONNREFUSED:
    case ECONNRESET:
        return error::ConnectionReset;
    case ENOTCONN:
        return error::NotConnected;
    case EHOSTUNREACH:
        return error::HostUnreachable;
    default:
        return 10000 + errno_value;
    }
}

void keep_errno() {
    g_last_error = winsock_code(errno);
}

sockaddr_in ipv4(std::uint32_t address, std::uint16_t port) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    return target;
}

} // namespace

int startup() {
    return 0;
}

int cleanup() {
    return 0;
}

int last_error() {
    return g_last_error;
}

void set_last_error(int code) {
    g_last_error = code;
}

Lookup lookup_ipv4(std::wstring_view host) {
    Lookup result;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const std::string name = to_multibyte(host);
    const int status = getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (status == EAI_AGAIN || status == EAI_FAIL || status == EAI_SYSTEM || status == EAI_MEMORY) {
        result.error = status == EAI_AGAIN ? error::TryAgain : error::NoRecovery;
        g_last_error = result.error;
        return result;
    }
    result.began = true;
    if (status != 0 || !found) {
        result.error = error::ServiceNotFound;
        g_last_error = result.error;
        return result;
    }
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    result.address = ntohl(address->sin_addr.s_addr);
    result.found = true;
    freeaddrinfo(found);
    return result;
}

Socket create_udp_socket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        keep_errno();
        return 0;
    }
    return static_cast<Socket>(fd) + 1;
}

bool bind_any(Socket socket, std::uint16_t port) {
    const sockaddr_in local = ipv4(INADDR_ANY, port);
    if (::bind(descriptor(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        keep_errno();
        return false;
    }
    return true;
}

bool connect_to(Socket socket, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in remote = ipv4(address, port);
    if (::connect(descriptor(socket), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) !=
        0) {
        keep_errno();
        return false;
    }
    return true;
}

int send_bytes(Socket socket, std::string_view bytes) {
    const ssize_t sent = ::send(descriptor(socket), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
        keep_errno();
        return -1;
    }
    return static_cast<int>(sent);
}

int receive_bytes(Socket socket, char* buffer, std::size_t size) {
    // MSG_TRUNC gives the datagram's whole length, so a cut datagram is told as Windows does.
    const ssize_t got = ::recv(descriptor(socket), buffer, size, MSG_TRUNC);
    if (got < 0) {
        keep_errno();
        return -1;
    }
    if (static_cast<std::size_t>(got) > size) {
        g_last_error = error::MessageSize;
        return -1;
    }
    return static_cast<int>(got);
}

int receive_from(Socket socket, char* buffer, std::size_t size, std::uint16_t* port) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got = ::recvfrom(descriptor(socket), buffer, size, 0,
                                   reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0) {
        keep_errno();
        return -1;
    }
    if (port)
        *port = ntohs(from.sin_port);
    return static_cast<int>(got);
}

int send_to(Socket socket, std::uint32_t address, std::uint16_t port, std::string_view bytes) {
    const sockaddr_in target = ipv4(address, port);
    const ssize_t sent = ::sendto(descriptor(socket), bytes.data(), bytes.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (sent < 0) {
        keep_errno();
        return -1;
    }
    return static_cast<int>(sent);
}

bool set_receive_timeout(Socket socket, unsigned milliseconds) {
    timeval wait{};
    wait.tv_sec = static_cast<time_t>(milliseconds / 1000);
    wait.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    if (::setsockopt(descriptor(socket), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) != 0) {
        keep_errno();
        return false;
    }
    return true;
}

void shutdown_both(Socket socket) {
    ::shutdown(descriptor(socket), SHUT_RDWR);
}

bool close_socket(Socket socket) {
    if (::close(descriptor(socket)) != 0) {
        keep_errno();
        return false;
    }
    return true;
}

std::uint16_t local_port_of(Socket socket) {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(descriptor(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return 0;
    return ntohs(local.sin_port);
}

} // namespace brixtel::net
