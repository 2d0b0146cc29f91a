// Reading the loop configuration out of a title's information string, and choosing the newest
// file a wildcard title path matches.
#include "core/title_info.h"

#include <gtest/gtest.h>

#include <vector>

namespace brixtel {
namespace {

TEST(TitleInformation, ZandorTokensAfterAnOptionalVersion) {
    const struct {
        const char* information;
        std::vector<TitleLoopEntry> expected;
    } cases[] = {
        {"version=2|zandor=2.1,zhost,5001|zandor=3,10.0.0.7,5002",
         {{2, 1, L"zhost", 5001}, {3, -1, L"10.0.0.7", 5002}}},
        {"zandor=1,h,5001", {{1, -1, L"h", 5001}}},
        {"version=2|title=Plant|zandor=2.1,zhost,5001", {}},
        {"version=2|zandor=1,a,5001|other|zandor=2,b,5002", {{1, -1, L"a", 5001}}},
        {"version=2||zandor=1,a,5001|", {{1, -1, L"a", 5001}}},
        {"", {}},
        {"version=2", {}},
        // Loop and port fields are read from at most 7 characters.
        {"zandor=12345678,h,50010000", {{1234567, -1, L"h", 5001000}}},
        {"zandor=4.,h,7", {{4, 0, L"h", 7}}},
        {"zandor=5", {{5, -1, L"", 0}}},
        {"zandor=6,only-host", {{6, -1, L"only-host", 0}}},
        // The host is in the OEM code page: 0x8E is A-umlaut.
        {"zandor=7,\x8Ehost,9", {{7, -1, L"\u00C4host", 9}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_title_information(c.information), c.expected) << c.information;
}

TEST(NewestFile, LatestWriteOfTheSurvivorsWinsAndTiesKeepTheFirstListed) {
    const struct {
        const char* name;
        std::wstring pattern;
        std::vector<ListedFile> listing;
        std::optional<std::wstring> expected;
    } cases[] = {
        {"newest",
         L"C:\\t\\*.M14",
         {{L"a.m14", false, 10}, {L"b.M14", false, 30}, {L"c.m14", false, 20}},
         L"C:\\t\\b.M14"},
        {"tie keeps the first",
         L"C:\\t\\*.m14",
         {{L"a.m14", false, 30}, {L"b.m14", false, 30}},
         L"C:\\t\\a.m14"},
        {"short-name match of a longer extension drops out",
         L"C:\\t\\*.m14",
         {{L"a.m14", false, 10}, {L"b.m145", false, 99}},
         L"C:\\t\\a.m14"},
        {"directories drop out",
         L"C:\\t\\*.m14",
         {{L"dir.m14", true, 99}, {L"a.m14", false, 1}},
         L"C:\\t\\a.m14"},
        {"no extension is kept",
         L"C:\\t\\*.m14",
         {{L"a.m14", false, 1}, {L"plain", false, 5}},
         L"C:\\t\\plain"},
        {"nothing survives", L"C:\\t\\*.m14", {{L"a.txt", false, 1}}, std::nullopt},
        {"empty listing", L"C:\\t\\*.m14", {}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(newest_matching_file(c.pattern, L"C:\\t\\", c.listing), c.expected) << c.name;
}

} // namespace
} // namespace brixtel
