#include "shell/number_entry.h"

#include "platform/text.h"

#include <algorithm>
#include <iterator>

namespace brixtel {
namespace {

bool is_blank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

} // namespace

Digits read_digits(std::wstring_view text) {
    if (text.empty())
        return {};
    if (!std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return {DigitsReading::NotDigits, 0};
    // Only digits are left, so the conversion cannot go negative; it holds at the 32-bit limit.
    return {DigitsReading::Number, static_cast<std::uint32_t>(integer_of_piece(text))};
}

std::wstring without_blanks(std::wstring_view text) {
    std::wstring kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](wchar_t c) { return !is_blank(c); });
    return kept;
}

std::wstring_view trim_blanks(std::wstring_view text) {
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace brixtel
