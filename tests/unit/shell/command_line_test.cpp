// Splitting the command line: quoted arguments, "/" starting arguments of its own, the limit.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

TEST(CommandLine, SplitsAsTheTitlePathRulesNeed) {
    using Args = std::vector<std::wstring>;
    const struct {
        std::wstring_view text;
        Args expected;
    } cases[] = {
        {L"", {}},
        {L"   \t ", {}},
        {L"C:\\Titles\\plant.m14", {L"C:\\Titles\\plant.m14"}},
        {L"\"C:\\My Titles\\plant.m14\"", {L"C:\\My Titles\\plant.m14"}},
        {L"  one   two  ", {L"one", L"two"}},
        {L"\"a b\"c d", {L"a b", L"d"}}, // the character after the quote goes
        {L"\"a b\"/x", {L"a b", L"/x"}}, // unless it is "/"
        {L"\"unclosed quote", {L"unclosed quote"}},
        {L"a/b", {L"a", L"/b"}},
        {L"/a/b c", {L"/a", L"/b", L"c"}},
        {L"a\"x y\"z w", {L"a\"x y\"z", L"w"}}, // quotes inside keep blanks together
        {L"a\"x/y\" w", {L"a\"x", L"w"}},       // and the argument is cut at a "/" in them
        {L"C:\\t\\*.M14", {L"C:\\t\\*.M14"}},
        {L"\"\" b", {L"", L"b"}},              // an empty quoted argument still counts
        {L"/\"a b\"/c", {L"/\"a b\"", L"/c"}}, // a leading "/" does not end its own argument
    };
    for (const auto& c : cases)
        EXPECT_EQ(split_command_line(c.text), c.expected)
            << std::string(c.text.begin(), c.text.end());
}

TEST(CommandLine, StopsAtTheLimit) {
    EXPECT_EQ(split_command_line(L"1 2 3 4 5 6 7 8 9 10 11 12").size(), 10u);
    EXPECT_EQ(split_command_line(L"a b c", 2), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(split_command_line(L"\"a\" \"b\" \"c\"", 2), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(CommandLine, OnlyASingleArgumentBecomesTheTitlePath) {
    const struct {
        std::wstring_view text;
        std::wstring_view expected;
    } cases[] = {
        {L"", L""},
        {L"\"C:\\My Titles\\plant.m14\"", L"C:\\My Titles\\plant.m14"},
        {L"\"C:\\My Titles\\plant.m14\"x", L"C:\\My Titles\\plant.m14"},
        {L"C:\\My Titles\\plant.m14", L""}, // unquoted blanks: two arguments, both ignored
        {L"C:\\t\\plant.m14/x", L""},       // "/" begins a second argument
        {L"\"\" plant.m14", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(title_path_of_command_line(c.text), c.expected)
            << std::string(c.text.begin(), c.text.end());
}

} // namespace
} // namespace brixtel
