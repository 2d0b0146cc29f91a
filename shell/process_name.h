#pragma once
// Which running processes count as copies of this program.
#include <string_view>

namespace brixtel {

// True when the file-name part of an executable path is "Brixtel.exe" in its first 11
// characters, ignoring ASCII case. The fixed name is compared, not the running file's own:
// a copy stored under another name is not counted.
bool is_program_process_name(std::wstring_view executable_path);

} // namespace brixtel
