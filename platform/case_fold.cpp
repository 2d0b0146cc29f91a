#include "platform/case_fold.h"

#include <algorithm>

namespace brixtel {

namespace {

// Latin Extended-A pairs letters as upper (even) / lower (odd) except in two runs where the
// pairing is shifted by one, and a few letters stand alone.
wchar_t upper_latin_extended_a(wchar_t c) {
    const bool shifted_run = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
    if (c == 0x0131) {
        return L'I'; // dotless i
    }
    if (c == 0x0130 || c == 0x0138 || c == 0x0149 || c == 0x0178 || c == 0x017F) {
        return c;
    }
    if (shifted_run) {
        return (c % 2 == 0) ? static_cast<wchar_t>(c - 1) : c;
    }
    return (c % 2 == 1) ? static_cast<wchar_t>(c - 1) : c;
}

} // namespace

wchar_t upper_case(wchar_t c) {
    if (c >= L'a' && c <= L'z') {
        return static_cast<wchar_t>(c - 0x20);
    }
    if (c < 0x00E0) {
        return c;
    }
    if (c <= 0x00FE) {
        return c == 0x00F7 ? c : static_cast<wchar_t>(c - 0x20); // not the division sign
    }
    if (c == 0x00FF) {
        return static_cast<wchar_t>(0x0178);
    }
    if (c >= 0x0100 && c <= 0x017F) {
        return upper_latin_extended_a(c);
    }
    if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) {
        return static_cast<wchar_t>(c - 0x20); // Greek, final sigma has no capital of its own
    }
    if (c >= 0x0430 && c <= 0x044F) {
        return static_cast<wchar_t>(c - 0x20); // Cyrillic basic
    }
    if (c >= 0x0450 && c <= 0x045F) {
        return static_cast<wchar_t>(c - 0x50); // Cyrillic with marks
    }
    return c;
}

std::wstring upper_case(std::wstring_view text) {
    std::wstring result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](wchar_t c) { return upper_case(c); });
    return result;
}

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && starts_with_ignoring_case(a, b);
}

bool starts_with_ignoring_case(std::wstring_view text, std::wstring_view prefix) {
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (upper_case(text[i]) != upper_case(prefix[i])) {
            return false;
        }
    }
    return true;
}

} // namespace brixtel
