// The simulator's command line.
#pragma once

#include "tools/zandor-sim/responder.h"
#include "tools/zandor-sim/udp.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::zandor {

inline constexpr uint16_t kDefaultPort = 5001;

struct Options {
    uint32_t address = kLoopback;
    bool allow_any_address = false;
    std::vector<uint16_t> ports; // 0: the system chooses
    std::optional<uint16_t> control_port;
    std::string plant_file;
    std::string record_file;
    std::string ready_file;
    uint64_t seed = 1;
    Behaviour behaviour;
    // Plant clock: seconds since start, or this many seconds more per read answered.
    std::optional<double> time_step;
    int max_seconds = 3600;
    std::optional<long> max_requests;
    bool verbose = false;
    bool print_plant = false;
    bool help = false;
};

struct OptionsParse {
    std::optional<Options> options;
    std::string error;
};

OptionsParse parse_options(const std::vector<std::string_view>& arguments);

std::string_view usage_text();

} // namespace brixtel::zandor
