#pragma once
// Reading whole files that the user names (tag databases, list files). Paths are wide; on
// Windows they go to the system as they are, elsewhere as UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

// Every byte of the file, or nothing when it does not exist, is a folder, or cannot be opened
// or read to its end.
std::optional<std::string> read_file_bytes(std::wstring_view path);

// True when the bytes are probably UTF-16 text (little-endian). Windows decides with the
// system's text test (IsTextUnicode, all tests); elsewhere an approximation of it does:
// a U+FEFF mark at the start says yes, a reversed mark (U+FFFE) or an odd length says no,
// and otherwise the bytes count as UTF-16 when at least half of the 16-bit units have a zero
// upper byte and a non-zero lower byte (Latin text written in UTF-16) while no unit is a
// byte-swapped line break, or when the units hold 16-bit line breaks, tabs or blanks and no
// zero unit (other scripts written in UTF-16). Text of 8-bit characters has no zero bytes
// and so passes neither test.
bool is_text_unicode(std::string_view bytes);

} // namespace brixtel
