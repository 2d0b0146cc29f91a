#pragma once
// IPv4 UDP sockets and host-name lookup, the same on every system. Errors are reported in the
// Windows Sockets numbering on every system, so callers and messages see one set of codes.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brixtel::net {

// A socket as the system gives it; 0 means none.
using Socket = std::uintptr_t;

namespace error {
inline constexpr int Interrupted = 10004;
inline constexpr int BadHandle = 10009;
inline constexpr int AccessDenied = 10013;
inline constexpr int Fault = 10014; // also: result buffer too small
inline constexpr int InvalidArgument = 10022;
inline constexpr int WouldBlock = 10035;
inline constexpr int NotSocket = 10038;
inline constexpr int MessageSize = 10040;
inline constexpr int AddressInUse = 10048;
inline constexpr int AddressNotAvailable = 10049;
inline constexpr int NetworkUnreachable = 10051;
inline constexpr int ConnectionReset = 10054;
inline constexpr int NotConnected = 10057;
inline constexpr int TimedOut = 10060;
inline constexpr int HostUnreachable = 10065;
inline constexpr int NotInitialised = 10093;
inline constexpr int ServiceNotFound = 10108; // the name was not found
inline constexpr int TryAgain = 11002;        // the name service did not answer
inline constexpr int NoRecovery = 11003;      // the name service failed
} // namespace error

// Starts the socket layer asking for version 2.2; 0 or the error. Each success is matched by
// one cleanup().
int startup();
// 0 or the error.
int cleanup();

// The calling thread's last socket error.
int last_error();
void set_last_error(int code);

struct Lookup {
    bool began = false; // false: the name service could not be asked (error says why)
    bool found = false;
    std::uint32_t address = 0; // IPv4, host byte order
    int error = 0;             // ServiceNotFound when the name does not resolve
};

// The host's first IPv4 address; a dotted address resolves to itself.
Lookup lookup_ipv4(std::wstring_view host);

// Each returns 0 / false / -1 on failure with last_error() set.
Socket create_udp_socket();
bool bind_any(Socket socket, std::uint16_t port);
bool connect_to(Socket socket, std::uint32_t address, std::uint16_t port);
int send_bytes(Socket socket, std::string_view bytes);
// One datagram into the buffer; the byte count, or -1. A datagram longer than the buffer
// gives -1 with MessageSize and the buffer filled with its beginning.
int receive_bytes(Socket socket, char* buffer, std::size_t size);
// Makes a blocking receive give up after `milliseconds` (WouldBlock or TimedOut).
bool set_receive_timeout(Socket socket, unsigned milliseconds);
// For an unconnected socket: one datagram and the port it came from (IPv4), or -1.
int receive_from(Socket socket, char* buffer, std::size_t size, std::uint16_t* port);
int send_to(Socket socket, std::uint32_t address, std::uint16_t port, std::string_view bytes);
void shutdown_both(Socket socket);
bool close_socket(Socket socket);

// The port the socket is bound to, 0 when unknown.
std::uint16_t local_port_of(Socket socket);

} // namespace brixtel::net
