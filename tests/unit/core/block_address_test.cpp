#include "core/block_address.h"

#include <climits>
#include <gtest/gtest.h>

namespace brixtel {
namespace {

struct Forms {
    BlockAddress address;
    const wchar_t* item;
    const wchar_t* key;
    const wchar_t* request;
};

class BlockAddressText : public testing::TestWithParam<Forms> {};

TEST_P(BlockAddressText, FormsAllThreeTexts) {
    const Forms& f = GetParam();
    EXPECT_EQ(item_text(f.address), f.item);
    EXPECT_EQ(row_key(f.address), f.key);
    EXPECT_EQ(request_address_text(f.address), f.request);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, BlockAddressText,
    testing::Values(
        Forms{{1, 2, 5, 100}, L"Module 1,2,5 Block 100", L"1-2-5-100", L"1 02 05 100"},
        Forms{{250, 250, 31, 65535},
              L"Module 250,250,31 Block 65535",
              L"250-250-31-65535",
              L"250 250 31 65535"},
        Forms{{10, 0, 0, 0}, L"Module 10,0,0 Block 0", L"10-0-0-0", L"10 00 00 0"},
        Forms{{-1, -1, -3, -7}, L"Module -1,-1,-3 Block -7", L"-1--1--3--7", L"-1 -1 -3 -7"},
        Forms{{INT_MIN, 1, 0, INT_MAX},
              L"Module -2147483648,1,0 Block 2147483647",
              L"-2147483648-1-0-2147483647",
              L"-2147483648 01 00 2147483647"}));

} // namespace
} // namespace brixtel
