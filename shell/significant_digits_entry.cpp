#include "shell/significant_digits_entry.h"

namespace brixtel {

NumberEntry check_significant_digits_entry(bool no_limit, std::wstring_view field) {
    if (no_limit)
        return {};
    const Digits digits = read_digits(without_blanks(field));
    switch (digits.reading) {
    case DigitsReading::Empty:
        return {0, EntryRefusal{ids::ValidNumberRequired, ids::InvalidNumber, false}};
    case DigitsReading::NotDigits:
        return {0, EntryRefusal{ids::NonNumericCharacter, ids::InvalidNumber, false}};
    case DigitsReading::Number:
        break;
    }
    if (digits.value == 0)
        return {0, EntryRefusal{ids::SignificantDigitsRequired, ids::InvalidEntry, true}};
    return {digits.value, std::nullopt};
}

} // namespace brixtel
