// One line per request received, so a test can read what the client sent and when:
// "<seconds since start>\t<local port>\t<source address:port>\t<disposition>\t<request>".
#pragma once

#include "tools/zandor-sim/udp.h"

#include <optional>
#include <string>
#include <string_view>

namespace brixtel::zandor {

struct RecordLine {
    double seconds = 0;
    uint16_t local_port = 0;
    Endpoint source;
    std::string disposition;
    std::string request; // the datagram's bytes as received
};

// Line feeds, carriage returns, tabs and backslashes in the request are written as \n, \r, \t
// and \\ so that every request stays on one line.
std::string record_line(const RecordLine& line);
std::optional<RecordLine> parse_record_line(std::string_view text);

} // namespace brixtel::zandor
