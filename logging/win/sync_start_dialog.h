#pragma once
// "Synchronized Monitoring Start and Logging": the times of day at which monitoring starts and
// stops, in the user's clock form, and whether the start logs as well.
#include "logging/sync_start.h"

#include <windows.h>

#include <optional>

namespace brixtel::win {

// Modal over `owner`, opened with the current choice. The choice confirmed with OK, or
// nothing after Cancel.
std::optional<SyncChoice> ask_synchronized_start(HINSTANCE instance, HWND owner,
                                                 const SyncChoice& current);

} // namespace brixtel::win
