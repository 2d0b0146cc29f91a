#include "core/add_point_check.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

using Outcome = AddPointVerdict::Outcome;

struct Case {
    const char* name;
    std::size_t points;
    BlockAddress address;
    std::uint32_t show_blk_check;
    Outcome outcome;
    StringId text;
    StringId caption;
    AddressField field;
};

constexpr BlockAddress kGood{1, 1, 0, 0};

class AddPointCheck : public testing::TestWithParam<Case> {};

TEST_P(AddPointCheck, GivesVerdict) {
    const Case& c = GetParam();
    const AddPointVerdict v = check_new_point(c.points, c.address, c.show_blk_check);
    EXPECT_EQ(v.outcome, c.outcome);
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(v.caption, c.caption);
    EXPECT_EQ(v.field, c.field);
}

constexpr auto A = Outcome::Accepted;
constexpr auto Q = Outcome::NeedsBlockConfirmation;
constexpr auto R = Outcome::Refused;
constexpr auto None = AddressField::None;

INSTANTIATE_TEST_SUITE_P(
    Ranges, AddPointCheck,
    testing::Values(
        Case{"lowest", 0, {1, 1, 0, 0}, 1, A, 0, 0, None},
        Case{"highest_plain", 49, {250, 250, 31, 31999}, 1, A, 0, 0, None},
        Case{"fiftieth_point", 49, kGood, 1, A, 0, 0, None},
        Case{"fifty_first_point", 50, kGood, 1, R, 250, 251, None},
        Case{"count_checked_before_address", 50, {0, 0, 0, -1}, 1, R, 250, 251, None},
        Case{"loop_0", 0, {0, 1, 0, 0}, 1, R, 57, 58, AddressField::Loop},
        Case{"loop_251", 0, {251, 1, 0, 0}, 1, R, 57, 58, AddressField::Loop},
        Case{"loop_negative", 0, {-1, 1, 0, 0}, 1, R, 57, 58, AddressField::Loop},
        Case{"loop_before_pcu", 0, {0, 0, 99, 99999}, 1, R, 57, 58, AddressField::Loop},
        Case{"pcu_0", 0, {1, 0, 0, 0}, 1, R, 59, 60, AddressField::Pcu},
        Case{"pcu_251", 0, {1, 251, 0, 0}, 1, R, 59, 60, AddressField::Pcu},
        Case{"pcu_before_module", 0, {1, -5, 32, 0}, 1, R, 59, 60, AddressField::Pcu},
        Case{"module_32", 0, {1, 1, 32, 0}, 1, R, 61, 62, AddressField::Module},
        Case{"module_negative", 0, {1, 1, -1, 0}, 1, R, 61, 62, AddressField::Module},
        Case{"block_32000_asks", 0, {1, 1, 0, 32000}, 1, Q, 0, 0, AddressField::Block},
        Case{"block_65535_asks", 0, {1, 1, 0, 65535}, 7, Q, 0, 0, AddressField::Block},
        Case{"block_32000_silent_when_suppressed", 0, {1, 1, 0, 32000}, 0, A, 0, 0, None},
        Case{"block_65536", 0, {1, 1, 0, 65536}, 1, R, 56, 55, AddressField::Block},
        Case{"block_65536_suppressed", 0, {1, 1, 0, 65536}, 0, R, 56, 55, AddressField::Block},
        Case{"block_negative", 0, {1, 1, 0, -1}, 0, R, 56, 55, AddressField::Block}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImportCount, FiftyPointsPass) {
    EXPECT_FALSE(check_import_count(50));
}

TEST(ImportCount, MoreThanFiftyAreRefusedWithCountAndExcess) {
    const auto refusal = check_import_count(53);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, ids::ImportTooManyPoints);
    EXPECT_EQ(refusal->caption, ids::NumberOfPointsExceeded);
    EXPECT_EQ(refusal->count, 53);
    EXPECT_EQ(refusal->excess, 3);
}

} // namespace
} // namespace brixtel
