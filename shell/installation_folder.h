#pragma once
// The installation base folder: the folder above the program's "Programs" folder, where the
// helper programs and the default LOG folder are looked for.
#include <functional>
#include <string>
#include <string_view>

namespace brixtel {

using FileExists = std::function<bool(std::wstring_view path)>;

// Found from the current folder when the program sits in its "Programs" folder below it (or
// the current folder is that "Programs" folder), else from the program's own command line.
// Empty when the current folder is unknown.
std::wstring installation_base_folder(std::wstring_view current_folder,
                                      std::wstring_view command_line, const FileExists& exists);

} // namespace brixtel
