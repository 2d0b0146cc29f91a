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

} // namespace brixtel
