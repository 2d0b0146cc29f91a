#pragma once
// The address of one value in the control system, and its text forms.
#include <cstdint>
#include <string>

namespace brixtel {

struct BlockAddress {
    std::int32_t loop = 0;
    std::int32_t pcu = 0;
    std::int32_t module = 0;
    std::int32_t block = 0;

    friend bool operator==(const BlockAddress&, const BlockAddress&) = default;
};

// "Module %d,%d,%d Block %d": DDE item names and point lists.
std::wstring item_text(const BlockAddress& address);

// "%d-%d-%d-%d": the row key of snapshots and log headers.
std::wstring row_key(const BlockAddress& address);

// "%d %02d %02d %d": the address as a read request carries it.
std::wstring request_address_text(const BlockAddress& address);

} // namespace brixtel
