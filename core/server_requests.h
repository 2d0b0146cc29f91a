#pragma once
// The one-line requests sent to the server. Every request starts with the reply window (the
// handle the answer is posted to) as 8 upper-case hex digits, a comma and a second field.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/block_address.h"

namespace brixtel {

// The server a Loop entry talks to, and which loop and PCU it serves (PCU -1: all PCUs).
struct LoopEndpoint {
    std::int32_t loop = 0;
    std::int32_t pcu = 0;
    std::wstring host;
    std::int32_t remote_port = 0;

    friend bool operator==(const LoopEndpoint&, const LoopEndpoint&) = default;
};

// The server's request buffer: 128 characters including the terminator.
inline constexpr std::size_t kRequestBufferChars = 128;
inline constexpr std::size_t kMaxUserNameChars = 64;

// " from <user>" (the name cut to 64 characters), or empty when the name is unknown.
std::wstring user_suffix(std::wstring_view user_name);

// The suffix goes on every connstat request, and on other requests only where the server
// has said (User-name feature state 1) that it accepts one.
bool user_suffix_applies(bool is_connstat, std::int32_t user_name_feature_state);

// The requests, `suffix` appended. A request that would not fit the server's buffer is not
// composed at all (nothing): sending it cut short could name the wrong host or user.
std::optional<std::wstring> compose_read_request(std::uint32_t reply_window,
                                                 std::uint32_t request_id,
                                                 const BlockAddress& address,
                                                 std::wstring_view suffix = {});
std::optional<std::wstring> compose_connstat_request(std::uint32_t reply_window,
                                                     const LoopEndpoint& entry,
                                                     std::wstring_view suffix);
std::optional<std::wstring> compose_feature_username_request(std::uint32_t reply_window,
                                                             const LoopEndpoint& entry,
                                                             std::wstring_view suffix);

// The read request as the Debug View lists it: numbers without leading zeros, no suffix.
std::wstring read_request_display_text(std::uint32_t reply_window, std::uint32_t request_id,
                                       const BlockAddress& address);

// What the program answers itself in Simulation mode: the request (without suffix), then
// "OK" and the point's simulation counter with two decimals, each on a line of its own.
std::wstring simulation_answer(std::wstring_view request_without_suffix, float counter);

} // namespace brixtel
