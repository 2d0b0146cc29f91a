#pragma once
// Status-bar and file texts use printf-style formats ("%02d", "%.1f", "%s"). The C library's
// wide printf disagrees between platforms on what "%s" takes, so the program formats them
// itself: "%s" always takes wide text here, as the table texts were written for.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace brixtel {

using PrintfArg = std::variant<std::int64_t, double, std::wstring_view>;

// Formats with the conversions d i u x X c f e E g G s S and %%, flags "-+ 0#", width and
// precision. A missing or mismatched argument prints nothing for its conversion.
std::wstring printf_text(std::wstring_view format, std::initializer_list<PrintfArg> args);

} // namespace brixtel
