// What a client asked for, read from one request datagram.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brixtel::zandor {

enum class RequestKind { Read, Connstat, FeatureUsername, Unknown };

struct PlantAddress {
    int loop = 0;
    int pcu = 0;
    int module = 0;
    int block = 0;
    bool operator==(const PlantAddress&) const = default;
};

struct Request {
    RequestKind kind = RequestKind::Unknown;
    // The line exactly as received; every answer repeats it.
    std::string line;
    // Read: the point's block. Connstat and feature username: loop and PCU of the entry.
    PlantAddress address;
    std::string host;
    std::string user;
    // A read request whose numbers are missing or unreadable.
    bool missing_parameter = false;
};

Request parse_request(std::string_view datagram);

// Signed decimal, whole text; leading zeros allowed ("02").
std::optional<int> decimal_of(std::string_view text);

} // namespace brixtel::zandor
