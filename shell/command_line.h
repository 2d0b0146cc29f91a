#pragma once
// Splitting the program's command line into arguments.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

inline constexpr std::size_t kMaxCommandLineArguments = 10;

// At most max_arguments arguments. A double-quoted argument runs to the next double quote
// (both dropped) and the character after it is dropped unless it is "/" or the end. Any other
// argument runs to white space or a "/" outside double quotes, and is cut at any "/" after
// its first character: every "/" outside quotes begins an argument of its own.
std::vector<std::wstring> split_command_line(std::wstring_view text,
                                             std::size_t max_arguments = kMaxCommandLineArguments);

// The Title path: the one argument when there is exactly one, else empty.
std::wstring title_path_of_command_line(std::wstring_view command_line);

} // namespace brixtel
