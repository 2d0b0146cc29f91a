#pragma once
// One watched point: its address, its latest value and what the DDE server needs to pass the
// value on.
#include <cstdint>
#include <optional>
#include <string>

#include "core/block_address.h"

namespace brixtel {

// DDE string and conversation handles, kept opaque so that this code builds without Windows.
using DdeHandle = std::uintptr_t;

// What kind of value the last answer carried.
namespace value_type {
inline constexpr std::uint16_t kOther = 0;
inline constexpr std::uint16_t kNumber = 1; // "REAL" or "INT"
inline constexpr std::uint16_t kString = 2; // "OK STRING"
} // namespace value_type

struct DdeLink {
    DdeHandle item = 0;
    DdeHandle topic = 0;
    bool request_waiting = false; // a client's request is held back until the value arrives
    DdeHandle conversation = 0;
};

struct MonitoredPoint {
    MonitoredPoint(std::uint32_t id, const BlockAddress& a, const DdeLink& link, bool only_dde)
        : request_id(id), address(a), dde(link), dde_only(only_dde) {}

    // Ties a server answer to this point; see PointTable for how it is chosen.
    const std::uint32_t request_id;
    BlockAddress address;
    std::optional<std::wstring> value; // none until the first answer
    float simulation_counter = 0.0f;
    DdeLink dde;
    bool new_value = false; // an answer arrived since the value was last taken into a snapshot
    std::wstring time_in;   // time text of the last answer
    bool dde_only = false;  // created for a DDE client: polled, but never shown, logged or a row
    std::uint16_t value_type = value_type::kOther;
};

} // namespace brixtel
