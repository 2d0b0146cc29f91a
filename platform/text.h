#pragma once
// Text at the program's boundaries: server datagrams, DDE text, title paths and dBASE files are
// in the OEM code page; everything inside the program is wide.
#include <cstdint>
#include <string>
#include <string_view>

namespace brixtel {

// OEM code page bytes to wide text. Every byte maps to one character.
std::wstring to_wide(std::string_view oem);

// Wide text to the OEM code page; a character the code page lacks becomes the code page's
// default character.
std::string to_multibyte(std::wstring_view wide);

// The integer at the front of [start, end): leading blanks and one sign are allowed, reading
// stops at the first non-digit, no digits give 0, and a value beyond 32 bits is held at the
// nearest limit, as the C library's wide text-to-integer conversion does.
std::int32_t integer_of_piece(const wchar_t* start, const wchar_t* end);

inline std::int32_t integer_of_piece(std::wstring_view piece) {
    return integer_of_piece(piece.data(), piece.data() + piece.size());
}

// Appends one code point (at most U+10FFFF, not a surrogate) in UTF-8.
void append_utf8(std::string& out, std::uint32_t code_point);

} // namespace brixtel
