// Commands that change the simulator while it runs, sent as one datagram each to the control
// port. Every command is answered with "OK ..." or "ERROR ...".
#pragma once

#include "tools/zandor-sim/responder.h"

#include <string>
#include <string_view>

namespace brixtel::zandor {

// What the server itself must do after a command (the rest is applied to the responder).
enum class ServerAction { None, CancelNow, Count, Stop };

// The most datagrams per second and client a flood sends.
inline constexpr int kMaxFloodPerSecond = 100000;

struct ControlOutcome {
    std::string reply;
    ServerAction action = ServerAction::None;
};

// Commands:
//   ping                          -> OK ready
//   silent [all|connstat]         -> stop answering everything / only connstat
//   resume                        -> answer again (ends both silences)
//   connstat <mode>, username <mode>   success | failure | unsupported | none
//   drop <share 0..1>, delay <ms>, delay-share <share 0..1>
//   cancel [<n>]                  -> the next n (1) read requests are answered "0 cancel"
//   cancel now                    -> each client gets a cancel at once
//   flood <n>                     -> each client gets its latest answer n times a second
//   set <plant line>              -> a plant entry that goes before all others
//   count                         -> OK <requests recorded>
//   stop                          -> the server ends
ControlOutcome apply_control(std::string_view command, Responder& responder);

} // namespace brixtel::zandor
