#pragma once
// A point's value as a DDE client receives it: the spreadsheets' XlTable of one number, or
// plain text in the OEM code page.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace brixtel {

// The clipboard format number of text.
inline constexpr std::uint32_t kTextFormat = 1;

// The value text read as a number the standard way; a text that is no number gives 0.
double value_number(std::wstring_view value);

// A one-cell table holding the number as an IEEE double: 20 bytes, little-endian.
std::array<std::uint8_t, 20> xltable_bytes(double number);

// The text in the OEM code page with its terminating zero byte.
std::vector<std::uint8_t> text_bytes(std::wstring_view value);

// Whether a format a client asked for is XlTable. Only the low 16 bits count: some DDE
// libraries hand a registered format over sign-extended.
bool is_xltable(std::uint32_t asked, std::uint32_t xltable);

} // namespace brixtel
