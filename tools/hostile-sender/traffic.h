// What the hostile sender sends: datagrams of several kinds aimed at a program's bound UDP port
// from ports that are not its server's. Kept apart from the sockets so the mix can be tested.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::hostile {

enum class Kind {
    Random,    // 1 to 2,048 random bytes
    Empty,     // a datagram without bytes
    Huge,      // 65,507 bytes: the largest UDP payload over IPv4
    ForgedId,  // an answer for the program's window with a Request identifier it never used
    Bystander, // a real request line answered to another process's window
    Replay,    // a real request line answered exactly as the server would, with a forged value
};
inline constexpr std::array kKinds = {Kind::Random,   Kind::Empty,     Kind::Huge,
                                      Kind::ForgedId, Kind::Bystander, Kind::Replay};
inline constexpr size_t kMaxPayload = 65507;

std::string_view name_of(Kind kind);

// One read request as the program sent it: "<window>,<id> read output ..." (hex window first).
struct RequestLine {
    std::string text;
    std::string window() const;
    std::string after_window() const; // from the comma on
};

// Read requests of one source port in a simulator record, the latest last; at most `keep`.
std::vector<RequestLine> read_requests_of(std::string_view record, uint16_t source_port,
                                          size_t keep);

class Traffic {
  public:
    // `bystander`: the window (hex) the Bystander kind names; `value`: the forged value line.
    Traffic(uint64_t seed, std::string bystander, std::string value)
        : random_(seed), bystander_(std::move(bystander)), value_(std::move(value)) {}

    void learn(std::vector<RequestLine> requests) { requests_ = std::move(requests); }
    // The kinds in turn; the answer kinds need a request line learnt first, and become Random
    // until then.
    Kind next_kind();
    std::string make(Kind kind);

  private:
    const RequestLine& some_request();

    std::mt19937_64 random_;
    std::string bystander_;
    std::string value_;
    std::vector<RequestLine> requests_;
    size_t turn_ = 0;
};

} // namespace brixtel::hostile
