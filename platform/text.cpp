#include "platform/text.h"

#include <limits>

namespace brixtel {

namespace {

bool is_blank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

} // namespace

std::int32_t integer_of_piece(const wchar_t* start, const wchar_t* end) {
    if (start == nullptr || end == nullptr || end <= start) {
        return 0;
    }
    const wchar_t* p = start;
    while (p != end && is_blank(*p)) {
        ++p;
    }
    bool negative = false;
    if (p != end && (*p == L'+' || *p == L'-')) {
        negative = *p == L'-';
        ++p;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so a long run of
    // digits cannot overflow the accumulator.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; p != end && *p >= L'0' && *p <= L'9'; ++p) {
        if (magnitude <= limit) {
            magnitude = magnitude * 10 + (*p - L'0');
        }
    }
    if (negative) {
        return magnitude >= limit ? std::numeric_limits<std::int32_t>::min()
                                  : static_cast<std::int32_t>(-magnitude);
    }
    return magnitude >= limit ? std::numeric_limits<std::int32_t>::max()
                              : static_cast<std::int32_t>(magnitude);
}

void append_utf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace brixtel
