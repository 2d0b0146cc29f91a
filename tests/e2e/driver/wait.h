// Bounded polling: the machines that run the suite are shared and sometimes slow, so every
// wait polls its condition up to a generous limit instead of sleeping a fixed time.
#pragma once

#include <chrono>
#include <string>

namespace brixtel::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// Default bounds; all of them are stretched by BRIXTEL_E2E_TIME_SCALE (a factor, default 1).
inline constexpr Millis kStartBound = 60s;
inline constexpr Millis kWaitBound = 20s;
inline constexpr Millis kExitBound = 30s;
// Upper limit for one cross-process SendMessage; a hung program must not hang the suite.
inline constexpr Millis kSendBound = 10s;

Millis scaled(Millis bound);

// Polls `condition` every `interval` until it holds or `bound` (scaled) has passed; checks once
// more at the end so a condition met during the last interval is not missed.
template <class Condition>
bool poll_until(Condition&& condition, Millis bound, Millis interval = 25ms);

// Human-readable duration for failure messages ("20000 ms").
std::string describe(Millis bound);

void pause_for(Millis interval);

template <class Condition> bool poll_until(Condition&& condition, Millis bound, Millis interval) {
    const auto deadline = std::chrono::steady_clock::now() + scaled(bound);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        pause_for(interval);
    }
    return condition();
}

} // namespace brixtel::e2e
