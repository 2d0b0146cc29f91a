#include "tools/zandor-sim/udp.h"

#include "tools/zandor-sim/request.h"

#include <utility>

namespace brixtel::zandor {

// Moving and destroying are alike everywhere; only closing the handle differs.
UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), port_(other.port_) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kNone);
        port_ = other.port_;
    }
    return *this;
}

UdpSocket::~UdpSocket() {
    close();
}

std::optional<uint32_t> ipv4_of(std::string_view dotted) {
    uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const size_t dot = part < 3 ? dotted.find('.') : dotted.size();
        if (dot == dotted.npos)
            return std::nullopt;
        const std::string_view digits = dotted.substr(0, dot);
        const auto value = decimal_of(digits);
        if (!value || *value < 0 || *value > 255 || digits.starts_with('-'))
            return std::nullopt;
        address = (address << 8) | static_cast<uint32_t>(*value);
        dotted.remove_prefix(std::min(dot + 1, dotted.size()));
    }
    return address;
}

std::string text_of(uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::string text_of(Endpoint endpoint) {
    return text_of(endpoint.address) + ":" + std::to_string(endpoint.port);
}

} // namespace brixtel::zandor
