#include "dde/dde_formats.h"

#include "platform/text.h"

#include <bit>
#include <cwchar>
#include <string>

namespace brixtel {

namespace {

void put_u16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

double value_number(std::wstring_view value) {
    const std::wstring text(value);
    return std::wcstod(text.c_str(), nullptr);
}

std::array<std::uint8_t, 20> xltable_bytes(double number) {
    constexpr std::uint16_t kTable = 0x0010, kFloat = 0x0001;
    std::array<std::uint8_t, 20> bytes{};
    put_u16(&bytes[0], kTable);
    put_u16(&bytes[2], 4); // size of the dimensions that follow
    put_u16(&bytes[4], 1); // rows
    put_u16(&bytes[6], 1); // columns
    put_u16(&bytes[8], kFloat);
    put_u16(&bytes[10], 8); // size of the double
    const auto bits = std::bit_cast<std::uint64_t>(number);
    for (int i = 0; i < 8; ++i)
        bytes[12 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return bytes;
}

std::vector<std::uint8_t> text_bytes(std::wstring_view value) {
    const std::string oem = to_multibyte(value);
    std::vector<std::uint8_t> bytes(oem.begin(), oem.end());
    bytes.push_back(0);
    return bytes;
}

bool is_xltable(std::uint32_t asked, std::uint32_t xltable) {
    return xltable != 0 && (asked & 0xFFFF) == (xltable & 0xFFFF);
}

} // namespace brixtel
