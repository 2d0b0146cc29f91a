#pragma once
// Small helpers for Windows paths and command lines, shared by every room.
#include <string>
#include <string_view>

namespace brixtel {

// The folder joined with the name; a backslash is put between them unless the folder already
// ends with one. An empty folder gives the bare name.
std::wstring join_path(std::wstring_view folder, std::wstring_view name);

// The path in double quotes when it holds a blank, so a command line keeps it whole.
std::wstring quoted_if_blank(std::wstring_view path);

} // namespace brixtel
