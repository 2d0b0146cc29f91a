#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

struct FoldCase {
    const wchar_t* a;
    const wchar_t* b;
    bool equal;
};

class CaseFold : public testing::TestWithParam<FoldCase> {};

TEST_P(CaseFold, ComparesWithoutRegardToCase) {
    const FoldCase& c = GetParam();
    EXPECT_EQ(equal_ignoring_case(c.a, c.b), c.equal) << c.a << L" / " << c.b;
    EXPECT_EQ(equal_ignoring_case(c.b, c.a), c.equal);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CaseFold,
    testing::Values(FoldCase{L"C:\\Data\\Tags.DBF", L"c:\\data\\tags.dbf", true},
                    FoldCase{L"C:\\Daten\\\u00C4nderung.csv", L"c:\\daten\\\u00E4NDERUNG.CSV",
                             true},
                    FoldCase{L"\u0141\u00F3d\u017A", L"\u0142\u00D3D\u0179", true},
                    FoldCase{L"\u0391\u03B2", L"\u03B1\u0392", true},
                    FoldCase{L"\u0416\u0451", L"\u0436\u0401", true},
                    FoldCase{L"a.csv", L"a.csv ", false}, FoldCase{L"[x]", L"{x}", false},
                    FoldCase{L"\u00F7", L"\u00D7", false}, FoldCase{L"", L"", true}));

TEST(CaseFold, UpperCasesTagNames) {
    EXPECT_EQ(upper_case(L"fic-101.pv \u00E9t\u00E9"), L"FIC-101.PV \u00C9T\u00C9");
    EXPECT_TRUE(starts_with_ignoring_case(L"Module 1,2,3 Block 4 -- X", L"module 1,2,3 block 4"));
    EXPECT_FALSE(starts_with_ignoring_case(L"Module 1", L"Module 1,2"));
}

} // namespace
} // namespace brixtel
