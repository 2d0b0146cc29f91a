#include "shell/significant_digits_entry.h"

#include <gtest/gtest.h>

#include <optional>

namespace brixtel {
namespace {

struct SigDigCase {
    const char* name;
    bool no_limit;
    const wchar_t* field;
    std::optional<std::uint32_t> accepted; // nullopt: refused with `refusal`
    EntryRefusal refusal;
};

constexpr EntryRefusal kEmpty{ids::ValidNumberRequired, ids::InvalidNumber, false};
constexpr EntryRefusal kNonNumeric{ids::NonNumericCharacter, ids::InvalidNumber, false};
constexpr EntryRefusal kZero{ids::SignificantDigitsRequired, ids::InvalidEntry, true};

TEST(SignificantDigitsEntry, AcceptsAPositiveNumberOrTheNoLimitBoxAndRefusesTheRest) {
    const SigDigCase cases[] = {
        {"no-limit box ignores the field", true, L"1a", 0u, {}},
        {"no-limit box with an empty field", true, L"", 0u, {}},
        {"plain number", false, L"4", 4u, {}},
        {"blanks dropped wherever they stand", false, L" 1 2\t", 12u, {}},
        {"leading zeros", false, L"007", 7u, {}},
        {"beyond 32 bits is held at the limit", false, L"99999999999", 2147483647u, {}},
        {"empty", false, L"", std::nullopt, kEmpty},
        {"blanks only", false, L"  \t ", std::nullopt, kEmpty},
        {"letter after digit", false, L"1a", std::nullopt, kNonNumeric},
        {"minus sign", false, L"-3", std::nullopt, kNonNumeric},
        {"plus sign", false, L"+3", std::nullopt, kNonNumeric},
        {"decimal point", false, L"3.5", std::nullopt, kNonNumeric},
        {"non-digit before a zero", false, L"x0", std::nullopt, kNonNumeric},
        {"zero", false, L"0", std::nullopt, kZero},
        {"zeros with blanks", false, L" 0 00 ", std::nullopt, kZero},
    };
    for (const SigDigCase& c : cases) {
        SCOPED_TRACE(c.name);
        const NumberEntry entry = check_significant_digits_entry(c.no_limit, c.field);
        if (c.accepted) {
            EXPECT_TRUE(entry.accepted());
            EXPECT_EQ(entry.value, *c.accepted);
        } else {
            ASSERT_FALSE(entry.accepted());
            EXPECT_EQ(*entry.refusal, c.refusal);
        }
    }
}

} // namespace
} // namespace brixtel
