#pragma once
// The size limit of the log (MB, 0 = unlimited) as the Log File Size dialog takes it.
#include "platform/registry.h"
#include "settings/logging_options.h"
#include "settings/settings.h"
#include "shell/number_entry.h"
#include "shell/seat.h"

#include <cstdint>
#include <string_view>

namespace brixtel {

// With the no-limit box ticked the limit is 0. Otherwise the field, trimmed of blanks, must be
// a number other than 0; blank, 0 and anything that is not digits alike get message 71, with
// the field's text selected.
NumberEntry check_log_size_entry(bool no_limit, std::wstring_view field);

// Makes an accepted limit the one in use. A changed limit is saved as LogSize and becomes the
// settings' copy of it as well (the fallback of lists without their own); an unchanged one
// writes nothing. Returns whether the limit changed.
bool take_log_size(std::uint32_t limit_mb, LoggingOptions& options, Settings& settings,
                   Registry& registry, Seat& seat);

} // namespace brixtel
