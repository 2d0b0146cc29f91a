#include "core/connection.h"

namespace brixtel {

Connection::Connection(net::Socket socket) : socket_(socket) {
    if (socket_)
        net::set_receive_timeout(socket_, kReceivePollMs);
}

Connection::~Connection() {
    std::lock_guard hold(lock_);
    close_handle_locked();
}

int Connection::close_handle_locked() {
    if (handle_closed_ || !socket_)
        return 0;
    handle_closed_ = true;
    return net::close_socket(socket_) ? 0 : net::last_error();
}

bool Connection::connect_to(std::uint32_t address, std::uint16_t port) {
    std::lock_guard hold(lock_);
    if (closed_)
        return false;
    return net::connect_to(socket_, address, port);
}

std::uint16_t Connection::local_port() const {
    std::lock_guard hold(lock_);
    return closed_ ? 0 : net::local_port_of(socket_);
}

int Connection::send(std::string_view bytes) {
    std::lock_guard hold(lock_);
    if (closed_)
        return -1;
    return net::send_bytes(socket_, bytes);
}

Received Connection::receive(char* buffer, std::size_t size) {
    {
        std::lock_guard hold(lock_);
        if (closed_)
            return {Received::Kind::Closed};
        receiving_ = true;
    }
    int got = net::receive_bytes(socket_, buffer, size);
    const int failure = got < 0 ? net::last_error() : 0;
    std::lock_guard hold(lock_);
    receiving_ = false;
    if (closed_) {
        // close() left the handle to us.
        const int error = close_handle_locked();
        if (error != 0 && !quiet_close_)
            deferred_error_ = error;
        return {Received::Kind::Closed};
    }
    if (failure == net::error::MessageSize)
        got = static_cast<int>(size);
    if (got >= 0)
        return {Received::Kind::Datagram, got};
    if (failure == net::error::WouldBlock || failure == net::error::TimedOut)
        return {Received::Kind::Idle};
    if (failure == net::error::ConnectionReset && receive_wait_ms_ != kReceivePollAfterResetMs &&
        net::set_receive_timeout(socket_, kReceivePollAfterResetMs))
        receive_wait_ms_ = kReceivePollAfterResetMs;
    return {Received::Kind::Error, 0, failure};
}

unsigned Connection::receive_wait_ms() const {
    std::lock_guard hold(lock_);
    return receive_wait_ms_;
}

Closing Connection::close(bool quiet) {
    std::lock_guard hold(lock_);
    if (closed_)
        return {false, 0};
    closed_ = true;
    quiet_close_ = quiet;
    // Wakes a waiting receiver where the system can; the poll interval bounds it elsewhere.
    net::shutdown_both(socket_);
    if (receiving_)
        return {false, 0};
    return {true, close_handle_locked()};
}

bool Connection::closed() const {
    std::lock_guard hold(lock_);
    return closed_;
}

bool Connection::handle_closed() const {
    std::lock_guard hold(lock_);
    return handle_closed_;
}

std::optional<int> Connection::deferred_close_error() const {
    std::lock_guard hold(lock_);
    return deferred_error_;
}

} // namespace brixtel
