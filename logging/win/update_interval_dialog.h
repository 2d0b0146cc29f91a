#pragma once
// "Update Interval": the Poll timer's period in hours, minutes and seconds.
#include <windows.h>

#include <cstdint>
#include <optional>

namespace brixtel::win {

// Modal over `owner`, opened with the interval in use. The interval the user chose, or nothing
// after Cancel or when OK found the values the dialog opened with.
std::optional<std::uint32_t> ask_update_interval(HINSTANCE instance, HWND owner,
                                                 std::uint32_t interval_ms);

} // namespace brixtel::win
