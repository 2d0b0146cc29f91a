#pragma once
// Small, bounds-safe helpers for building and scanning the texts exchanged with the server.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel::text {

inline bool contains(std::wstring_view text, std::wstring_view what) {
    return text.find(what) != std::wstring_view::npos;
}

// Like "%d".
std::wstring decimal(std::int32_t value);

// Like "%0<width>d": zeros go after a minus sign, and a wider number is never cut.
std::wstring zero_padded(std::int32_t value, std::size_t width);

// Like "%08X".
std::wstring hex8(std::uint32_t value);

// Like atoi, but saturating instead of overflowing: leading white space and one sign are
// allowed, reading stops at the first non-digit, and no digits at all give 0.
std::int32_t to_int32(std::wstring_view text);

// The leading hexadecimal digits of the text; none, or a value beyond 32 bits, gives nothing.
std::optional<std::uint32_t> hex_to_uint32(std::wstring_view text);

} // namespace brixtel::text
