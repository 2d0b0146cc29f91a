// The drawing half of the hook DLL: answers the draw recorder's requests (draw_wire.h).
#pragma once

#include <windows.h>

namespace brixtel::e2e::draw_hook {

// True when `message` was a draw recorder request; it has then been answered.
bool answer_if_request(const MSG& message);

} // namespace brixtel::e2e::draw_hook
