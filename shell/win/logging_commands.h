#pragma once
// The commands of the Logging menu that put the user in charge of the log.
namespace brixtel::win {

struct App;

// 40013 "Log Data...": logging off when it is on, else the Logging type dialog and what it
// asked for.
void log_data_command(App& app);

// 40026 "Configure Logging Options...": the dialog, then the log's status parts.
void run_logging_options_dialog(App& app);

} // namespace brixtel::win
