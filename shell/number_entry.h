#pragma once
// What becomes of a whole number typed into a dialog field: accepted, or refused with the
// message the dialog shows before it focuses the field again and stays open.
#include "shell/string_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

struct EntryRefusal {
    StringId text = 0;
    StringId caption = 0;
    bool select_text = false; // the field's text is selected as well as focused

    bool operator==(const EntryRefusal&) const = default;
};

struct NumberEntry {
    std::uint32_t value = 0; // the accepted number
    std::optional<EntryRefusal> refusal;

    bool accepted() const { return !refusal; }
};

// How a field's text reads once the caller has dropped or trimmed its blanks.
enum class DigitsReading { Empty, NotDigits, Number };

struct Digits {
    DigitsReading reading = DigitsReading::Empty;
    std::uint32_t value = 0; // for Number: held at 2147483647, as the program's integers are
};

// Decimal digits only: no sign, no blanks, no separators.
Digits read_digits(std::wstring_view text);

// Every blank (space or tab) left out, wherever it stands.
std::wstring without_blanks(std::wstring_view text);
// Blanks removed from both ends only.
std::wstring_view trim_blanks(std::wstring_view text);

} // namespace brixtel
