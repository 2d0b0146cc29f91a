#include "dde/item_grammar.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace brixtel {
namespace {

struct GrammarCase {
    const wchar_t* text;
    std::optional<BlockAddress> expected;
};

void PrintTo(const GrammarCase& c, std::ostream* os) {
    std::wstring text(c.text);
    *os << '"' << std::string(text.begin(), text.end()) << '"';
}

class PointDescription : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(PointDescription, ReadsTheAddressOrRefuses) {
    const auto& c = GetParam();
    EXPECT_EQ(parse_point_description(c.text), c.expected);
}

constexpr BlockAddress k1_2_3_100{1, 2, 3, 100};

INSTANTIATE_TEST_SUITE_P(
    Accepted, PointDescription,
    ::testing::Values(
        GrammarCase{L"Module 1,2,3 Block 100", k1_2_3_100},
        GrammarCase{L"module 1, 2, 3 block 100", k1_2_3_100},
        GrammarCase{L"X MODULE 1,2,3 BLOCK 100 extra", k1_2_3_100},
        GrammarCase{L"Module   1,2,3 Block    100", k1_2_3_100},
        GrammarCase{L"Module 1,2,  3 Block 100", k1_2_3_100},
        // A tag entry text: tag name and path after the block number do not matter.
        GrammarCase{L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF", k1_2_3_100},
        GrammarCase{L"Module 1,2,3 Block 100 -- SPEC -- C:\\SPEC.DBF", k1_2_3_100},
        GrammarCase{L"Module 1,2,3 Block 100SPEC", k1_2_3_100},
        GrammarCase{L"Module -1,+2,-3 Block -7", BlockAddress{-1, 2, -3, -7}},
        GrammarCase{L"Module 1,2,3Block 100 Block 9", BlockAddress{1, 2, 3, 100}},
        // Numbers are read as far as their digits go; no range is checked here.
        GrammarCase{L"Module 1x,2y,3z Block 40000", BlockAddress{1, 2, 3, 40000}},
        GrammarCase{L"Module a,b,c Block 5", BlockAddress{0, 0, 0, 5}},
        GrammarCase{L"Module 1,2,3 Block 99999999999", BlockAddress{1, 2, 3, 2147483647}},
        GrammarCase{L"Module 4,5,6 Block 7\tand a tab", BlockAddress{4, 5, 6, 7}}));

INSTANTIATE_TEST_SUITE_P(
    Refused, PointDescription,
    ::testing::Values(GrammarCase{L"Module 1,2,3 Block", std::nullopt},
                      GrammarCase{L"Module 1,2,3 Block100", std::nullopt},
                      GrammarCase{L"Module 1,2,3 Block ", std::nullopt},
                      GrammarCase{L"Module 1,2,3 Block -", std::nullopt},
                      GrammarCase{L"Module 1,2,3 Block x100", std::nullopt},
                      GrammarCase{L"Module 1,2 Block 100", std::nullopt},
                      GrammarCase{L"Module 1 Block 100", std::nullopt},
                      GrammarCase{L"Module1,2,3 Block 100", std::nullopt},
                      GrammarCase{L"1,2,3 Block 100", std::nullopt}, GrammarCase{L"", std::nullopt},
                      GrammarCase{L"FIC-101", std::nullopt},
                      // "SPEC" anywhere up to the end of the block number refuses the item.
                      GrammarCase{L"SPEC Module 1,2,3 Block 100", std::nullopt},
                      GrammarCase{L"Module 1,2,3 sPEC Block 100", std::nullopt},
                      GrammarCase{L"Module 1,2,3 Block SPEC 100", std::nullopt},
                      // The module part must come before the block number.
                      GrammarCase{L"Block 100 Module 1,2,3", std::nullopt},
                      // Only the first "BLOCK " counts.
                      GrammarCase{L"Block 5 Module 1,2,3 Block 100", std::nullopt}));

} // namespace
} // namespace brixtel
