#pragma once
// Where the log goes: the file name rule (folder, base name, the date when it is appended,
// the view's extension), the date text for file names, and the creation of a folder the user
// typed.
#include "core/clock_texts.h"
#include "logging/default_log_location.h"
#include "logging/log_control.h"
#include "shell/seat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

// The date for a file name: the locale's short date with every character a file name cannot
// hold (| < > * ? / " :) taken as a separator, empty pieces dropped and the rest joined with
// "_" (3/4/21 gives 3_4_21, 04.03.21 stays). Without a short date, "yyyymmdd" of `today`.
std::wstring file_date_text(const std::optional<std::wstring>& short_date, const LocalTime& today);
std::wstring file_date_text(LocaleClock& clock);

// The log file of a setting: the folder joined with the base name (and "_" and the date when
// it is appended), then the view's extension. An extension the name already has stays and
// the view's follows it: run.txt in the Export View gives run.txt.CSV.
std::wstring log_path(const LogFileSetting& setting, std::wstring_view date_text, bool debug_view);

// Creates every missing folder of `path`, one level at a time. Failures are reported through
// the seat (326 when no part of the path exists, 327 when the path cannot be followed, 328
// naming the first folder that could not be made); false then.
bool create_log_folder(Seat& seat, LogFolderSystem& folders, std::wstring_view path);

// What a failed start of Windows Explorer on the log folder tells the user, by the result the
// system gave; nothing for a result above 32 (started). `with_result`: the text takes the
// result as its insert.
struct ExplorerFailure {
    StringId text = 0;
    StringId caption = 0;
    bool with_result = false;
};
std::optional<ExplorerFailure> explorer_failure(std::intptr_t result);

} // namespace brixtel
