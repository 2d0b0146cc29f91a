#pragma once
// "Log Data...": switches logging off when it is on; otherwise asks the Logging type dialog
// what to log, writes the past data it asked for and switches logging on for new data.
#include "logging/log_control.h"
#include "logging/log_type_entry.h"
#include "shell/seat.h"

#include <functional>
#include <optional>

namespace brixtel {

// The Logging type dialog: its choice, or nothing when it was cancelled.
using ChooseLoggingType = std::function<std::optional<LogTypeChoice>()>;

// `sync_logging`: the synchronized start logs to the default location, so switching logging
// off also brings the user's own log setting back.
void log_data_command(LogControl& log, Seat& seat, bool sync_logging,
                      const ChooseLoggingType& choose);

} // namespace brixtel
