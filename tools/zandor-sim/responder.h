// Decides the answer to each request: the plant gives the values, the behaviour settings
// (which the control commands change while running) say whether and how to answer.
#pragma once

#include "tools/zandor-sim/plant.h"
#include "tools/zandor-sim/request.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brixtel::zandor {

// How connstat and feature username requests are answered.
enum class ReplyMode { Success, Failure, Unsupported, None };

std::optional<ReplyMode> reply_mode_of(std::string_view word);
std::string_view name_of(ReplyMode mode);

struct Behaviour {
    ReplyMode connstat = ReplyMode::Success;
    ReplyMode username = ReplyMode::Success;
    bool silent = false;          // answers nothing at all
    bool silent_connstat = false; // answers everything but connstat
    double drop_share = 0;        // 0..1 of the answers that would go out are lost
    int delay_ms = 0;
    double delay_share = 1;   // 0..1 of the answers that go out are sent delay_ms late
    int cancels_pending = 0;  // the next read requests are answered "0 cancel"
    int flood_per_second = 0; // each client's latest answer again, this often, unasked
};

// Deterministic for a seed on every platform (unlike the standard distributions).
class DropDice {
  public:
    explicit DropDice(uint64_t seed) : state_(seed) {}
    // Uniform in [0, 1).
    double next();

  private:
    uint64_t state_;
};

struct Reply {
    std::optional<std::string> datagram;
    // For the record: answered, cancel, silent, dropped, unanswered.
    std::string disposition;
    int delay_ms = 0; // how late it goes out
};

class Responder {
  public:
    // Drops and delays throw separate dice, so changing one share leaves the other's pattern.
    Responder(Plant plant, Behaviour behaviour, uint64_t seed)
        : plant_(std::move(plant)), behaviour_(behaviour), dice_(seed),
          delay_dice_(seed ^ 0x5DEECE66Dull) {}

    // `seconds`: the plant clock, which moves the varying values.
    Reply respond(const Request& request, double seconds);

    Behaviour& behaviour() { return behaviour_; }
    Plant& plant() { return plant_; }

  private:
    std::optional<std::string> result_of(const Request& request, double seconds) const;

    Plant plant_;
    Behaviour behaviour_;
    DropDice dice_;
    DropDice delay_dice_;
};

// A cancel for a client, built on one of its read request lines.
std::string cancel_answer(std::string_view read_line);

} // namespace brixtel::zandor
