#pragma once
// The settings routines over the running system: its registry, "Brixtel.ini" in the Windows
// folder, the registry editor and the system's version.
#include "platform/registry.h"
#include "settings/logging_options.h"
#include "settings/settings.h"
#include "settings/startup_read.h"
#include "shell/seat.h"

#include <cstdint>
#include <string_view>

namespace brixtel {

// Moves machine-wide settings to the current user with the system's registry editor.
void move_machine_settings(Registry& registry, Seat& seat);

// Reads all settings at start-up; a first start is seeded from "Brixtel.ini".
void read_settings_at_startup(Registry& registry, Seat& seat, StartupReadTargets& targets,
                              Settings& settings, LoggingOptions& logging);

// Message 138 for a system call that failed while running a helper program.
void report_system_call_failure(Seat& seat, std::wstring_view call, std::uint32_t error);

} // namespace brixtel
