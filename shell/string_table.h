#pragma once
// Every text the program shows comes from the string table, addressed by a numeric id.
#include <cstdint>
#include <span>
#include <string_view>

namespace brixtel {

using StringId = std::uint16_t;

namespace ids {
#define BRIXTEL_STRING(name, id, text) inline constexpr StringId name = id;
#include "shell/strings.inc"
#undef BRIXTEL_STRING
} // namespace ids

struct StringEntry {
    StringId id;
    std::wstring_view text;
};

// The text of an id, exactly as the resource table holds it; empty for an unknown id.
std::wstring_view string_text(StringId id);

// The whole table in ascending id order.
std::span<const StringEntry> all_strings();

} // namespace brixtel
