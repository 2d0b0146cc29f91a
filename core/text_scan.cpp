#include "core/text_scan.h"

#include <algorithm>
#include <array>
#include <limits>

namespace brixtel::text {

namespace {

bool is_space(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

bool is_digit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Every answer's first two fields are hex: a table, not three ranges, per digit.
constexpr std::array<std::int8_t, 128> kHexDigits = [] {
    std::array<std::int8_t, 128> digits{};
    digits.fill(-1);
    for (int d = 0; d < 10; ++d)
        digits[static_cast<std::size_t>('0' + d)] = static_cast<std::int8_t>(d);
    for (int d = 0; d < 6; ++d) {
        digits[static_cast<std::size_t>('A' + d)] = static_cast<std::int8_t>(10 + d);
        digits[static_cast<std::size_t>('a' + d)] = static_cast<std::int8_t>(10 + d);
    }
    return digits;
}();

int hex_digit(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    return code < kHexDigits.size() ? kHexDigits[code] : -1;
}

} // namespace

std::wstring decimal(std::int32_t value) {
    return std::to_wstring(value);
}

std::wstring zero_padded(std::int32_t value, std::size_t width) {
    std::wstring digits = std::to_wstring(value < 0 ? -static_cast<std::int64_t>(value) : value);
    const std::size_t sign = value < 0 ? 1 : 0;
    if (digits.size() + sign < width)
        digits.insert(0, width - sign - digits.size(), L'0');
    return sign ? L'-' + digits : digits;
}

std::wstring hex8(std::uint32_t value) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring out(8, L'0');
    for (std::size_t i = 8; i-- > 0; value >>= 4)
        out[i] = kDigits[value & 0xF];
    return out;
}

std::int32_t to_int32(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && is_digit(text[i]); ++i)
        magnitude = std::min(kLimit, magnitude * 10 + (text[i] - L'0'));
    const std::int64_t value = negative ? -magnitude : std::min(magnitude, kLimit - 1);
    return static_cast<std::int32_t>(value);
}

std::optional<std::uint32_t> hex_to_uint32(std::wstring_view text) {
    std::uint32_t value = 0;
    std::size_t i = 0;
    for (int digit = 0; i < text.size() && (digit = hex_digit(text[i])) >= 0; ++i) {
        // One more digit takes a value above this past 32 bits.
        if (value > std::numeric_limits<std::uint32_t>::max() >> 4)
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    if (i == 0)
        return std::nullopt;
    return value;
}

} // namespace brixtel::text
