#pragma once
// A Loop entry: the transport record of one configured loop (and PCU), with its socket and
// the state the poll cycle routes by. The list of them is kept by the loop configuration;
// the transport threads and the poll cycle share it under the Loop list lock.
#include "core/connection.h"

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace brixtel {

inline constexpr std::uint16_t kNoLocalPort = 0xFFFF;
// Last lookup error while a lookup runs or when the host name was not found.
inline constexpr std::uint32_t kLookupPending = 10108;

struct LoopEntry {
    std::int32_t loop = 0;
    std::int32_t pcu = 0; // 0 or -1: the entry serves every PCU of the loop
    std::int32_t remote_port = 0;
    std::wstring host; // dotted address or host name
    // The entry's socket; a sender or Receive thread holds its own reference, so taking it
    // out of the entry (a close) never frees it under them.
    std::shared_ptr<Connection> connection;
    std::uint16_t local_port = kNoLocalPort;
    bool receiving = false; // under the Loop list lock
    bool link_ok = false;   // Link state: the last connstat answer or connect said OK
    std::uint32_t last_lookup_error = 0;
    std::int32_t connstat_retries = 0;
    std::int32_t user_name_feature = 0; // 0 unknown, 1 accepted (suffix sent), 2 refused
};

// Entries in order of creation. Only the main thread adds and removes entries; every thread
// reads and writes them under the lock, and no thread keeps an entry past the lock: what it
// needs afterwards (the connection, the endpoint) it copies.
struct LoopEntryList {
    std::list<LoopEntry> entries;
    mutable std::mutex lock; // the Loop list lock
};

} // namespace brixtel
