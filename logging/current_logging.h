#pragma once
// The logging options in use, with the log file split as the log writer keeps it. A tag-list
// load fills one and hands it to the writer.
#include "settings/logging_options.h"

#include <string>

namespace brixtel {

struct CurrentLogging {
    LoggingOptions options;
    std::wstring log_folder;
    std::wstring log_base_name; // without extension
    bool header_needed = true;  // the next CSV record starts with the column header

    bool operator==(const CurrentLogging&) const = default;
};

} // namespace brixtel
