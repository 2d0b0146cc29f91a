#pragma once
// Turning an export of the machine-wide settings into one that imports under the current
// user: in every line, the first mention of the machine-wide key (in any letter case) names
// the user's key instead; the rest of each line stays as it was read.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace brixtel {

inline constexpr std::wstring_view kMachineSettingsKeyName =
    L"HKEY_LOCAL_MACHINE\\Software\\Quorrel\\Halvo Brixtel";
inline constexpr std::wstring_view kUserSettingsKeyName =
    L"HKEY_CURRENT_USER\\Software\\Quorrel\\Halvo Brixtel";

// 8-bit files are handled in pieces of at most this many bytes, each ending at a line feed
// where one comes sooner.
inline constexpr std::size_t kRegFileLineBytes = 1023;

// The rewritten file. A UTF-16 file (little-endian) comes back with the byte-order mark
// FF FE first and none elsewhere; an 8-bit file comes back in 8-bit text.
std::vector<std::uint8_t> rewrite_reg_file(std::span<const std::uint8_t> content, bool utf16);

} // namespace brixtel
