#include "platform/text.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>

namespace brixtel {
namespace {

TEST(OemText, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::wstring wide = to_wide(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(std::set<wchar_t>(wide.begin(), wide.end()).size(), 256u)
        << "two bytes share a character";
    EXPECT_EQ(to_multibyte(wide), all);
}

TEST(OemText, UsesTheOemCodePage) {
    EXPECT_EQ(to_wide("Loop 1"), L"Loop 1");
    EXPECT_EQ(to_wide("\x81\x8E\xE1\xF8\xB3\xFF"), L"\u00FC\u00C4\u00DF\u00B0\u2502\u00A0");
    EXPECT_EQ(to_multibyte(L"Stra\u00DFe 25\u00B0C"), "Stra\xE1"
                                                      "e 25\xF8"
                                                      "C");
    // Outside the code page a letter loses its accent; what has no likeness becomes "?".
    EXPECT_EQ(to_multibyte(L"\u20AC5 \u00E3 \u00C0 \u00A9"), "?5 a A c");
    EXPECT_EQ(to_wide(""), L"");
    EXPECT_EQ(to_multibyte(L""), "");
}

struct IntegerCase {
    std::wstring_view text;
    std::int32_t expected;
};

TEST(IntegerOfPiece, ReadsLikeTheStandardConversion) {
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    const IntegerCase cases[] = {
        {L"42", 42},
        {L"007", 7},
        {L"  -17 PCU", -17},
        {L"\t\r\n +5", 5},
        {L"12 34", 12},
        {L"3.9", 3},
        {L"", 0},
        {L"   ", 0},
        {L"abc", 0},
        {L"- 5", 0},
        {L"+-5", 0},
        {L"2147483647", max},
        {L"2147483648", max},
        {L"-2147483648", min},
        {L"-99999999999999999999", min},
        {L"00000000000000000000012", 12},
    };
    for (const IntegerCase& c : cases) {
        EXPECT_EQ(integer_of_piece(c.text), c.expected) << std::wstring(c.text).c_str();
    }
}

TEST(IntegerOfPiece, StopsAtTheEndOfThePiece) {
    const std::wstring text = L"12345,678";
    EXPECT_EQ(integer_of_piece(text.data(), text.data() + 3), 123);
    EXPECT_EQ(integer_of_piece(text.data() + 6, text.data() + text.size()), 678);
    EXPECT_EQ(integer_of_piece(text.data() + 2, text.data() + 2), 0);
    EXPECT_EQ(integer_of_piece(nullptr, nullptr), 0);
}

} // namespace
} // namespace brixtel
